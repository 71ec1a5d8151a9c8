#include "task/not_available_task.h"

#include "base/logging.h"
#include "task_object/runtime_object.h"

namespace task {

namespace {

const int kMaxPlannedClasses = 96;
const char* g_planned[kMaxPlannedClasses] = {};
int g_planned_count = 0;

}  // namespace

bool RegisterPlannedTaskClass(const char* class_name) {
  if (g_planned_count >= kMaxPlannedClasses || !class_name)
    return false;
  g_planned[g_planned_count++] = class_name;
  return true;
}

bool IsPlannedTaskClass(const std::string& class_name) {
  for (int i = 0; i < g_planned_count; ++i) {
    if (class_name == g_planned[i])
      return true;
  }
  return false;
}

std::unique_ptr<TaskBase> CreateNotAvailableTask(const std::string& class_name) {
  if (!IsPlannedTaskClass(class_name))
    return nullptr;
  return std::make_unique<NotAvailableTask>(class_name);
}

void NotAvailableTask::Run(task_object::RuntimeObject* runtime_object) {
  LOG(WARNING) << "Task class " << class_name_ << " is not available in this build: runtime object "
               << (runtime_object ? runtime_object->name() : std::string("?"))
               << " completes without effect";
}

}  // namespace task
