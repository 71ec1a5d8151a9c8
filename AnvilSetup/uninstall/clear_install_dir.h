// Removes leftovers of the client's components outside Uninstall.xml: profile caches, browser
// plug-ins and known subfolders of the installation directory.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class ClearInstallDir : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
