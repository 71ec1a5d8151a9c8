#include "task_object/task_context.h"

#include "base/fnv1_hash.h"

namespace task_object {

TaskContext::~TaskContext() {
  for (auto& entry : runtime_objects_)
    entry.second->DestroyTask();
  for (auto& entry : runtime_objects_)
    entry.second->ClearLinks();
}

std::shared_ptr<RuntimeObject> TaskContext::FindRuntimeObject(const std::string& name) const {
  auto found = runtime_objects_.find(base::Fnv1Hash32(name));
  return found == runtime_objects_.end() ? nullptr : found->second;
}

void TaskContext::AddRuntimeObject(const std::shared_ptr<RuntimeObject>& object) {
  runtime_objects_[base::Fnv1Hash32(object->name())] = object;
}

std::shared_ptr<TaskProto> TaskContext::FindTaskProto(const std::string& name) const {
  auto found = task_protos_.find(base::Fnv1Hash32(name));
  return found == task_protos_.end() ? nullptr : found->second;
}

void TaskContext::AddTaskProto(const std::shared_ptr<TaskProto>& proto) {
  task_protos_[base::Fnv1Hash32(proto->name())] = proto;
}

bool TaskContext::AllDefined() const {
  for (const auto& entry : runtime_objects_) {
    if (!entry.second->defined())
      return false;
  }
  return true;
}

}  // namespace task_object
