#include "tern_test/window_search.h"

namespace tern_test {

namespace {

struct Search {
  DWORD pid;
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && (*search->match)(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindTopLevelWindow(DWORD pid, const std::function<bool(HWND)>& match) {
  Search search = {pid, &match, nullptr};
  EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace tern_test
