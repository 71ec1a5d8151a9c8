// The task class registry: task classes register a factory under their class name at
// program start-up (static initialisation, before any thread exists); the graph names
// classes by that string. At most 96 classes; a full table ignores further entries, and
// the first registration of a name wins. Lookup is exact and case-sensitive.
//
// Adding a task class is one file: define the class and, in its .cc,
//   REGISTER_TASK_CLASS(uninstall::MyTask, MyTask)
#pragma once

#include <memory>
#include <string>

namespace task {

class TaskBase;

using TaskFactory = std::unique_ptr<TaskBase> (*)();

struct TaskClassRecord {
  TaskFactory factory;
  const char* class_name;
};

const int kMaxTaskClasses = 96;

// False when the table is full.
bool RegisterTaskClass(const TaskClassRecord& record);
// A new instance of the first class registered as `class_name`, or null.
std::unique_ptr<TaskBase> CreateTaskByClassName(const std::string& class_name);
int RegisteredTaskClassCount();

}  // namespace task

#define REGISTER_TASK_CLASS(qualified_class, class_name)                                          \
  namespace {                                                                                     \
  const bool g_task_class_registered_##class_name = ::task::RegisterTaskClass(                    \
      {[]() -> std::unique_ptr<::task::TaskBase> { return std::make_unique<qualified_class>(); }, \
       #class_name});                                                                             \
  }
