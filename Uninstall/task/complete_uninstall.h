// Hands the protection component back to the products that still use it, arranges the
// uninstaller's own deletion at restart and tells the user the client was removed.
#pragma once

#include "task/task_base.h"

namespace uninstall {

// Unregisters this product from the protection component; when other products still use it,
// re-installs and starts its core service and switches the update flag off again.
void HandBackWardenComponent();

class CompleteUninstall : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
