#include "ui_driver.h"

namespace docwick_test {

namespace {

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND WaitForVisibleWindow(DWORD pid, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  do {
    Search search = {pid, nullptr};
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    if (search.found)
      return search.found;
    Sleep(20);  // polling the condition itself, bounded by the time-out
  } while (GetTickCount() - start < timeout_ms);
  return nullptr;
}

bool ClickElement(HWND top, const wchar_t* name) {
  HWND element = FindNamedChild(top, name);
  return element && PostMessageW(element, BM_CLICK, 0, 0);
}

}  // namespace docwick_test
