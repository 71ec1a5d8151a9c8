// Runs the real Uninstall.exe as a user would: confirms, waits, closes the final message.
#pragma once

#include <windows.h>

#include <string>

namespace uninstall_scenario {

struct UninstallRun {
  DWORD pid = 0;
  DWORD start_error = 0;  // GetLastError of the first start that failed, if one did
  bool confirmation_shown = false;
  bool final_message_shown = false;
  bool exited = false;
  DWORD exit_code = 0;
  // From the start to the exit; the part spent with a message box up and answered at once.
  double elapsed_ms = 0;
  double boxes_ms = 0;
};

// The confirmation box: caption, text; the running-client box: caption; the final message:
// caption, text.
extern const wchar_t kConfirmCaption[];
extern const wchar_t kConfirmText[];
extern const wchar_t kRunningCaption[];
extern const wchar_t kFinalCaption[];
extern const wchar_t kFinalText[];

// Starts `exe` (up to three tries), answers Yes and closes the final message. When `screenshot_dir`
// is given, the two boxes are saved there as confirmation.png and final_message.png first.
UninstallRun RunUninstallAsUser(const std::wstring& exe,
                                const std::wstring& screenshot_dir = std::wstring());

// Saves the box's client area as a PNG; false when nothing could be captured or it is blank.
bool SaveBoxScreenshot(HWND box, const std::wstring& png);

}  // namespace uninstall_scenario
