// First task of the graph (UI thread): holds the setup mutex for the rest of the process
// and asks the user to confirm. Writes CheckResult = "ResultOK" / "ResultCancel".
#pragma once

#include "task/task_base.h"

namespace uninstall {

class StartUninstall : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
