// The last task of every branch: asks the main (UI) thread's loop to quit, which ends the
// uninstaller's run.
#pragma once

#include "task/task_base.h"

class TaskExit : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};
