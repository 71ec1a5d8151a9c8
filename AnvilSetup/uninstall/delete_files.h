// Removes what Uninstall.xml lists (COM servers, programs with an uninstall argument, registry
// values and keys, files, directories) and the client's fixed leftovers (product registration,
// autorun entry, shortcuts, firewall entries, caches). Files are moved aside into
// DeleteFileTempPath before deletion; what cannot go now goes at the next restart.
#pragma once

#include "task/task_base.h"

namespace uninstall {

class DeleteFiles : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

}  // namespace uninstall
