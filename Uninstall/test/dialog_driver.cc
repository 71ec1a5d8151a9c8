#include "dialog_driver.h"

namespace dialog_driver {

namespace {

struct Search {
  DWORD pid;
  const std::wstring* caption;
  HWND not_this;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t class_name[16] = {};
  GetClassNameW(window, class_name, 16);
  wchar_t caption[256] = {};
  GetWindowTextW(window, caption, 256);
  if (pid == search->pid && window != search->not_this && IsWindowVisible(window) &&
      std::wstring(class_name) == L"#32770" && *search->caption == caption) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND WaitForBox(DWORD pid, const std::wstring& caption, DWORD timeout_ms, HWND not_this) {
  const DWORD start = GetTickCount();
  for (;;) {
    Search search = {pid, &caption, not_this, nullptr};
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found)
      return search.found;
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
