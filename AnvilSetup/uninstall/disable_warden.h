// Switches the protection component off, takes part in its product count and unloads its driver
// when this client is the last product that uses it.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class DisableWarden : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
