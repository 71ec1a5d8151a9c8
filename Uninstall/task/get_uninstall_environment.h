// Third task (own thread): finds the installed client in HKLM\SOFTWARE\Corvane\Tern,
// checks for its Uninstall.xml (or the backup under SetupTempPath) and publishes
// PreviousVersion, UninstallReportVersion, PreviousInstallType, PreviousInstallPath and
// NeedUnistall. Every refusal sets NeedUnistall = "false" and logs why.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class GetUninstallEnvironment : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
