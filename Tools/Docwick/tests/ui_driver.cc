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

struct NamedSearch {
  const wchar_t* name;
  HWND found;
};

BOOL CALLBACK FindNamed(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<NamedSearch*>(param);
  wchar_t name[128] = {};
  // Names cross the process boundary as a global atom held in the property.
  ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"LatticeName")));
  if (atom && GlobalGetAtomNameW(atom, name, 128) && wcscmp(name, search->name) == 0) {
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

HWND FindElement(HWND top, const wchar_t* name) {
  NamedSearch search = {name, nullptr};
  EnumChildWindows(top, FindNamed, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024] = {};
  // WM_GETTEXT works across processes where GetWindowText would not ask the window.
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, nullptr);
  return text;
}

bool ClickElement(HWND top, const wchar_t* name) {
  HWND element = FindElement(top, name);
  return element && PostMessageW(element, BM_CLICK, 0, 0);
}

}  // namespace docwick_test
