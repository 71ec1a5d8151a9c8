// Drives Docwick's windows from the test process: waits for the visible top-level window of a
// process and clicks its named elements (each element window carries its name as the
// "LatticeName" window property).
#pragma once

#include <windows.h>

#include <string>

namespace docwick_test {

// The first visible top-level window of process `pid`, waiting up to `timeout_ms`; null if none.
HWND WaitForVisibleWindow(DWORD pid, DWORD timeout_ms = 20000);
// The child element window named `name`, or null.
HWND FindElement(HWND top, const wchar_t* name);
std::wstring WindowText(HWND hwnd);
// Clicks a button element without waiting for what the click does.
bool ClickElement(HWND top, const wchar_t* name);

}  // namespace docwick_test
