#include "task/task_dispatcher.h"

#include "base/location.h"
#include "base/logging.h"
#include "base/message_loop.h"
#include "base/singleton.h"
#include "setup/setup_context.h"
#include "setup/setup_thread.h"
#include "task/task_base.h"
#include "task_object/task_graph_parser.h"
#include "task_object/task_graph_resource.h"

namespace task {

TaskDispatcher* TaskDispatcher::GetInstance() {
  return base::Singleton<TaskDispatcher>::get();
}

TaskDispatcher::TaskDispatcher() : context_(std::make_shared<task_object::TaskContext>()) {}

TaskDispatcher::~TaskDispatcher() = default;

bool TaskDispatcher::Init2(void* module) {
  module_ = module;
  resource_id_ = 4000;
  resource_type_ = L"XML";
  std::string document;
  if (!task_object::LoadTaskGraphResource(module_, resource_id_, resource_type_, &document)) {
    LOG(ERROR) << resource_id_ << ": 资源获取失败";
    return false;
  }
  return Init2WithDocument(document);
}

bool TaskDispatcher::Init2WithDocument(const std::string& document) {
  if (!task_object::ParseTaskGraph(document.data(), document.size(), context_.get())) {
    LOG(ERROR) << "Task graph cannot be loaded; no task runs";
    return false;
  }
  setup::SetupThread::PostTask(setup::SetupThread::DISPATCH,
                               FROM_HERE_WITH_EXPLICIT_FUNCTION("task::TaskDispatcher::Init2"),
                               [this] { InternalInit(); });
  return true;
}

void TaskDispatcher::InternalInit() {
  setup::SetupThread::ID thread_id = setup::SetupThread::ID_COUNT;
  setup::SetupThread::IdentifyCurrentThread(&thread_id);
  DCHECK(thread_id == setup::SetupThread::DISPATCH);
  thread_checker_.DetachFromThread();
  setup::SetupThread::PostTask(
      setup::SetupThread::DISPATCH,
      FROM_HERE_WITH_EXPLICIT_FUNCTION("task::TaskDispatcher::InternalInit"),
      [this] { InternalStart(); });
}

void TaskDispatcher::InternalStart() {
  DCHECK(thread_checker_.CalledOnValidThread());
  const std::shared_ptr<task_object::RuntimeObject>& start = context_->start_runtime_object();
  if (start)
    Fire(start.get());
}

void TaskDispatcher::OnRuntimeObjectFinished(task_object::RuntimeObject* runtime_object) {
  DCHECK(thread_checker_.CalledOnValidThread());
  RunOutObjects(runtime_object);
  runtime_object->DestroyTask();
  if (--running_ > 0)
    return;
  setup::SetupThread::PostTask(
      setup::SetupThread::UI, FROM_HERE_WITH_EXPLICIT_FUNCTION("task::TaskDispatcher::AtRest"), [] {
        LOG(ERROR) << "The task graph came to rest without reaching an exit task; the run ends";
        base::MessageLoop::current()->Quit();
      });
}

void TaskDispatcher::RunOutObjects(task_object::RuntimeObject* finished) {
  DCHECK(thread_checker_.CalledOnValidThread());
  // A copy: firing never changes the list, but keep the loop independent of it.
  auto successors = finished->out_objects();
  for (const auto& successor : successors) {
    bool joined = true;
    for (auto& in : successor->in_objects()) {
      if (in.first.get() == finished)
        in.second = true;
      joined = joined && in.second;
    }
    if (!joined || !ConditionsHold(successor.get()))
      continue;
    Fire(successor.get());
  }
}

// Every condition must hold; a key that no task has set reads as "".
bool TaskDispatcher::ConditionsHold(task_object::RuntimeObject* object) const {
  for (const auto& condition : object->in_conditions()) {
    std::string value;
    SetupContext::GetStringValue(condition.first, &value);
    if (value != condition.second)
      return false;
  }
  return true;
}

void TaskDispatcher::Fire(task_object::RuntimeObject* object) {
  if (object->task()) {
    LOG(WARNING) << "Runtime object " << object->name()
                 << " is still running; the new trigger is ignored";
    return;
  }
  if (!object->CreateTask())
    return;
  LOG(INFO) << "Start runtime object " << object->name() << " (class "
            << object->task_proto()->class_name() << ")";
  ++running_;
  object->StartTask();
}

}  // namespace task
