// Tells the statistics server that an uninstall took place: up to three attempts, stopping
// at the first the server accepts. Its outcome changes nothing in the uninstall.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class UninstallUploadResult : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
