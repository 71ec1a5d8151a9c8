#include "uninstall/kill_corvane_process.h"

#include <string>

#include "base/logging.h"
#include "setup/setup_context.h"
#include "task/task_class_registry.h"
#include "util/process_scope_win.h"
#include "util/process_util_win.h"

namespace pre_install {

void KillCorvaneProcess::Run(task_object::RuntimeObject*) {
  std::wstring install;
  bool result = SetupContext::GetWStringValue("PreviousInstallPath", &install);
  DCHECK(result);
  if (!result)
    install.clear();  // matches nothing in the directory-scoped rows
  setup_util::KillProcessesInDirectory(install, L"bugreport.exe");
  setup_util::KillProcessesInDirectory(install, L"PelicanExternal.exe");
  setup_util::KillProcessesByModuleName(L"warden.exe");
  setup_util::KillProcessesByModuleName(L"WardenUpd.exe");
  setup_util::KillProcessesInDirectory(install, L"vantle.exe");
}

}  // namespace pre_install

REGISTER_TASK_CLASS(pre_install::KillCorvaneProcess, KillCorvaneProcess)
