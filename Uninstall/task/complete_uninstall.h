// Hands the protection component back to the products that still use it, arranges the
// uninstaller's own deletion at restart and tells the user the client was removed.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class CompleteUninstall : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
