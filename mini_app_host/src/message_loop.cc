#include "message_loop.h"

#include <windows.h>

#include "crash_filter.h"

namespace ternapp {

void RunMessageLoop() {
  InitCrashHandling();
  for (;;) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT)
        return;
      TranslateMessage(&message);
      DispatchMessageW(&message);
      continue;
    }
    armCrashFilter();
    WaitMessage();
  }
}

}  // namespace ternapp
