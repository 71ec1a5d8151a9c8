#include "dialog_driver.h"

#include "tern_test/window_search.h"

namespace dialog_driver {

HWND WaitForBox(DWORD pid, const std::wstring& caption, DWORD timeout_ms, HWND not_this) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND found = tern_test::FindTopLevelWindow(pid, [&](HWND window) {
      wchar_t class_name[16] = {};
      GetClassNameW(window, class_name, 16);
      wchar_t text[256] = {};
      GetWindowTextW(window, text, 256);
      return window != not_this && IsWindowVisible(window) &&
             std::wstring(class_name) == L"#32770" && caption == text;
    });
    if (found)
      return found;
    if (GetTickCount() - start > timeout_ms)
      return nullptr;
    Sleep(50);
  }
}

std::wstring BoxText(HWND box) {
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return text;
}

void Press(HWND box, int id) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

bool WaitUntilGone(HWND box, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (IsWindow(box)) {
    if (GetTickCount() - start > timeout_ms)
      return false;
    Sleep(50);
  }
  return true;
}

}  // namespace dialog_driver
