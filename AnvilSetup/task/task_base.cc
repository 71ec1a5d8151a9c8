#include "task/task_base.h"

#include "base/location.h"
#include "task/task_dispatcher.h"
#include "task_object/runtime_object.h"

namespace task {

TaskBase::TaskBase() = default;

TaskBase::~TaskBase() {
  task_runner_.reset();
  own_thread_.reset();
}

void TaskBase::RunTask(task_object::RuntimeObject* runtime_object) {
  if (!runtime_object)
    return;
  if (!task_runner_) {
    own_thread_ = std::make_unique<base::Thread>("Thread_" + runtime_object->name());
    own_thread_->Start();
    task_runner_ = own_thread_->task_runner();
  }
  // The runtime object keeps this instance alive until OnRunFinished has returned.
  task_runner_->PostTaskAndReply(
      FROM_HERE_WITH_EXPLICIT_FUNCTION("task::TaskBase::RunTask"),
      [this, runtime_object] { Run(runtime_object); },
      [this, runtime_object] { OnRunFinished(runtime_object); });
}

void TaskBase::SetTaskRunner(base::TaskRunnerPtr task_runner) {
  task_runner_ = std::move(task_runner);
}

void TaskBase::OnRunFinished(task_object::RuntimeObject* runtime_object) {
  if (own_thread_)
    own_thread_->Stop();
  // Destroys this instance: nothing may touch it afterwards.
  TaskDispatcher::GetInstance()->OnRuntimeObjectFinished(runtime_object);
}

}  // namespace task
