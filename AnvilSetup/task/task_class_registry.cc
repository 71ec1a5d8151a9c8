#include "task/task_class_registry.h"

#include <cstring>

#include "task/task_base.h"

namespace task {

namespace {

// Constant-initialised, so registrations from any translation unit's static
// initialisation find it ready.
TaskClassRecord g_records[kMaxTaskClasses] = {};
int g_record_count = 0;

}  // namespace

bool RegisterTaskClass(const TaskClassRecord& record) {
  if (g_record_count >= kMaxTaskClasses || !record.factory || !record.class_name)
    return false;
  g_records[g_record_count++] = record;
  return true;
}

std::unique_ptr<TaskBase> CreateTaskByClassName(const std::string& class_name) {
  for (int i = 0; i < g_record_count; ++i) {
    if (class_name == g_records[i].class_name)
      return g_records[i].factory();
  }
  return nullptr;
}

int RegisteredTaskClassCount() {
  return g_record_count;
}

}  // namespace task
