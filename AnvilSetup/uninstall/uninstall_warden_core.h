// Stops and uninstalls the protection component's core service when this client is the last product
// that uses it.
#pragma once

#include "task/task_base.h"

namespace pre_install {

class UnInstallWardenCore : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace pre_install
