// Uninstall.exe: prepares paths and log, runs the embedded task graph on the setup
// threads and exits with 0, or 1 when the graph cannot be loaded.
#include <windows.h>

#include <cstdint>

#include "base/at_exit.h"
#include "base/command_line.h"
#include "base/logging.h"
#include "setup/setup_context.h"
#include "setup_paths.h"
#include "uninstall_main_runner.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  int code = 0;
  {
    // Destroys the dispatcher (waiting for tasks still at work), the thread table and
    // the context, in that order, when the entry returns.
    base::AtExitManager at_exit;
    setup::SetupMainParams params;
    params.command_line = base::CommandLineFromString(GetCommandLineW());
    InitSetupPaths();
    InitUninstallLogging(params.command_line);
    DCHECK(instance);
    const int32_t module = static_cast<int32_t>(reinterpret_cast<intptr_t>(instance));
    if (reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(module)) != instance)
      LOG(ERROR) << "Module handle does not fit the context's 32-bit integer";
    SetupContext::SetIntValue("UninstallModuleHandle", module);
    std::unique_ptr<setup::UninstallMainRunner> runner = setup::UninstallMainRunner::Create();
    code = runner->Initialize(params);
    if (code < 0) {
      code = runner->Run();
      runner->Shutdown();
    }
  }
  return code;
}
