// Removes the folder into which files were moved before deletion; what cannot go now goes
// at the next restart, after the items inside it.
#pragma once

#include "task/task_base.h"

namespace after_install {

class ClearUninstallTempDir : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace after_install
