// Ends the maker's auxiliary processes that could hold files of the installation open: some only
// inside the installation directory, the protection component's everywhere.
#pragma once

#include "task/task_base.h"

namespace pre_install {

class KillCorvaneProcess : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace pre_install
