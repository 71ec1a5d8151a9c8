#include "ui_driver.h"

#include "tern_test/window_search.h"

namespace docwick_test {

HWND WaitForVisibleWindow(DWORD pid, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  do {
    HWND found = tern_test::FindTopLevelWindow(pid, IsWindowVisible);
    if (found)
      return found;
    Sleep(20);  // polling the condition itself, bounded by the time-out
  } while (GetTickCount() - start < timeout_ms);
  return nullptr;
}

bool ClickElement(HWND top, const wchar_t* name) {
  HWND element = FindNamedChild(top, name);
  return element && PostMessageW(element, BM_CLICK, 0, 0);
}

}  // namespace docwick_test
