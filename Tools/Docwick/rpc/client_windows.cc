#include "rpc/client_windows.h"

namespace docwick {

const wchar_t kClientWindowClass[] = L"AB0B3F91-DE0F-48EE-B1A1-461540FE1BBB";
const wchar_t kLegacyClientWindowClass[] = L"9EA4877B-2274-4AB5-AB10-89B6F2061220";

std::vector<HWND> FindClientWindows(const wchar_t* window_class) {
  std::vector<HWND> windows;
  HWND previous = nullptr;
  while ((previous = FindWindowExW(nullptr, previous, window_class, nullptr)) != nullptr)
    windows.push_back(previous);
  return windows;
}

}  // namespace docwick
