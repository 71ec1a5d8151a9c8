// Drives the windows of another Docwick process from the test: waits for its visible top-level
// window and clicks its named elements (found with the dialog driver's FindNamedChild).
#pragma once

#include <windows.h>

#include <string>

#include "dialog_driver.h"

namespace docwick_test {

// The first visible top-level window of process `pid`, waiting up to `timeout_ms`; null if none.
HWND WaitForVisibleWindow(DWORD pid, DWORD timeout_ms = 20000);
// Clicks a button element without waiting for what the click does.
bool ClickElement(HWND top, const wchar_t* name);

}  // namespace docwick_test
