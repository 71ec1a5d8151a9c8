// Deletes the shell's cached display names (MuiCache) of the client's programs, which
// outlive the installed files.
#pragma once

#include "task/task_base.h"

namespace after_install {

class FixTaskbar : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace after_install
