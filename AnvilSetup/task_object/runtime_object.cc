#include "task_object/runtime_object.h"

#include "base/logging.h"
#include "setup/setup_thread_message_loop_proxy.h"
#include "task/not_available_task.h"
#include "task/task_base.h"
#include "task/task_class_registry.h"

namespace task_object {

RuntimeObject::RuntimeObject(const std::string& name) : name_(name) {}

RuntimeObject::~RuntimeObject() {
  DestroyTask();
}

bool RuntimeObject::CreateTask() {
  DCHECK(task_proto_);
  if (!task_proto_)
    return false;
  DestroyTask();
  const std::string& class_name = task_proto_->class_name();
  task_ = task::CreateTaskByClassName(class_name);
  if (!task_)
    task_ = task::CreateNotAvailableTask(class_name);
  if (!task_)
    LOG(ERROR) << "No task class \"" << class_name << "\" for runtime object " << name_;
  return task_ != nullptr;
}

void RuntimeObject::StartTask() {
  DCHECK(task_ != NULL);
  if (!task_)
    return;
  if (thread_id_ < kOwnThread) {
    task_->SetTaskRunner(
        setup::CreateMessageLoopProxyForThread(static_cast<setup::SetupThread::ID>(thread_id_)));
  }
  task_->RunTask(this);
}

void RuntimeObject::DestroyTask() {
  task_.reset();
}

void RuntimeObject::ClearLinks() {
  in_objects_.clear();
  out_objects_.clear();
}

}  // namespace task_object
