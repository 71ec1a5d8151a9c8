// Hands the mini downloader (a COM local server) its own uninstall: its registered
// executable with "/PrepareUninstall", without waiting.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class UninstallMiniDl : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
