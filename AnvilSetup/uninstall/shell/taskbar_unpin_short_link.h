// Takes the client's shortcuts off the taskbar and the start menu before the shortcut
// files themselves are deleted. Nothing here stops the uninstall.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class TaskbarUnpinShortLink : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
