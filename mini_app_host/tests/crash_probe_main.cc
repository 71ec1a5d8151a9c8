// Test-only program: arms the host's crash filter and crashes on purpose, optionally with a
// hook that crashes again while the filter runs. Never shipped.
// Usage: ternapp_crash_probe.exe plain | nested-before | nested-after
#include <windows.h>

#include <cwchar>

#include "crash_filter.h"

namespace {

void CrashAgain() {
  volatile int* nowhere = nullptr;
  *nowhere = 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2)
    return 2;
  if (std::wcscmp(argv[1], L"nested-before") == 0)
    ternapp::SetCrashHooks(CrashAgain, nullptr);
  else if (std::wcscmp(argv[1], L"nested-after") == 0)
    ternapp::SetCrashHooks(nullptr, CrashAgain);
  else if (std::wcscmp(argv[1], L"plain") != 0)
    return 2;
  // The nested cases end by the system's default: no crash dialog or debugger in a test.
  SetErrorMode(SEM_NOGPFAULTERRORBOX);
  ternapp::armCrashFilter();
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
