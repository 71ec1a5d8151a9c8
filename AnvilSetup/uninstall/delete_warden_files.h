// Removes the protection component's files, drivers, service entries and browser add-on, only when
// this client is the last product that uses the component.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class DeleteWardenFiles : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
