// Finds a process's message box (#32770) by caption and presses its buttons, as a user
// would. Waits are bounded polls of the condition itself.
#pragma once

#include <windows.h>

#include <string>

namespace dialog_driver {

// The visible #32770 window of process `pid` with that caption, other than `not_this`;
// null after `timeout_ms`.
HWND WaitForBox(DWORD pid, const std::wstring& caption, DWORD timeout_ms, HWND not_this = nullptr);
// The box's message text (its static control).
std::wstring BoxText(HWND box);
// Presses the button with command id `id` (IDYES, IDNO, IDOK, IDRETRY, IDCANCEL).
void Press(HWND box, int id);
// True once `box` is gone, false after `timeout_ms`.
bool WaitUntilGone(HWND box, DWORD timeout_ms);

}  // namespace dialog_driver
