// Finding another program's (or this program's) top-level windows from a test.
#pragma once

#include <windows.h>

#include <functional>

namespace tern_test {

// The first top-level window of process `pid` for which `match` holds, or null.
HWND FindTopLevelWindow(DWORD pid, const std::function<bool(HWND)>& match);

}  // namespace tern_test
