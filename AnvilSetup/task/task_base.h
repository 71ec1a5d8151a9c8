// The base of every task class. The dispatcher creates one instance per firing of a
// runtime object; RunTask posts Run() to the object's named thread (or to a thread of
// the task's own, "Thread_" + object name) and, once Run() has returned, OnRunFinished()
// runs on the dispatch thread, stops the own thread and hands the object back to the
// dispatcher, which destroys the instance. Task classes implement Run() only and talk to
// the rest of the uninstall through the setup context.
#pragma once

#include <memory>

#include "base/task_runner.h"
#include "base/thread.h"

namespace task_object {
class RuntimeObject;
}

namespace task {

class TaskBase {
 public:
  TaskBase();
  // Joins the own thread if it is still at work.
  virtual ~TaskBase();
  TaskBase(const TaskBase&) = delete;
  TaskBase& operator=(const TaskBase&) = delete;

  virtual void RunTask(task_object::RuntimeObject* runtime_object);
  virtual void SetTaskRunner(base::TaskRunnerPtr task_runner);
  // The task's work, on the task's thread.
  virtual void Run(task_object::RuntimeObject* runtime_object) = 0;
  virtual void OnRunFinished(task_object::RuntimeObject* runtime_object);

 private:
  base::TaskRunnerPtr task_runner_;
  std::unique_ptr<base::Thread> own_thread_;
};

}  // namespace task
