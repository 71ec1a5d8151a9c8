// Hands the avatar-show companion Plume its own uninstall ("uninst.exe /S" in the folder
// that its App Paths entry names) and returns without waiting.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class UninstallPlume : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
