// Task classes that the shipped graph names but that this build does not contain yet
// ("planned" classes). Firing such an object runs a stand-in that logs, at WARNING level,
// "Task class <class> is not available in this build: runtime object <object> completes
// without effect" and finishes, so the rest of the graph still runs. A real registration
// of the same name always wins; an unknown class name gets no instance at all.
#pragma once

#include <memory>
#include <string>

#include "task/task_base.h"

namespace task {

// Start-up only, like RegisterTaskClass.
bool RegisterPlannedTaskClass(const char* class_name);
bool IsPlannedTaskClass(const std::string& class_name);
// Null unless `class_name` is planned.
std::unique_ptr<TaskBase> CreateNotAvailableTask(const std::string& class_name);

class NotAvailableTask : public TaskBase {
 public:
  explicit NotAvailableTask(const std::string& class_name) : class_name_(class_name) {}
  void Run(task_object::RuntimeObject* runtime_object) override;

 private:
  const std::string class_name_;
};

}  // namespace task
