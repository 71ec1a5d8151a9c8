// Running clients are found by the class of their top-level window.
#pragma once

#include <windows.h>

#include <vector>

namespace docwick {

extern const wchar_t kClientWindowClass[];        // a running Tern client
extern const wchar_t kLegacyClientWindowClass[];  // a running Pelican client

// Every top-level window of `window_class`, in the order the system returns them.
std::vector<HWND> FindClientWindows(const wchar_t* window_class);

}  // namespace docwick
