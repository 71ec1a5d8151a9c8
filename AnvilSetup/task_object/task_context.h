// The parsed task graph: prototypes and runtime objects keyed by the FNV-1 hash of their
// names (equal hashes are one entry), and the start object.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "task_object/runtime_object.h"
#include "task_object/task_proto.h"

namespace task_object {

class TaskContext {
 public:
  TaskContext() = default;
  // Destroys every task instance (joining task threads still at work), then breaks the
  // object links so that the graph is freed.
  virtual ~TaskContext();
  TaskContext(const TaskContext&) = delete;
  TaskContext& operator=(const TaskContext&) = delete;

  std::shared_ptr<RuntimeObject> FindRuntimeObject(const std::string& name) const;
  void AddRuntimeObject(const std::shared_ptr<RuntimeObject>& object);
  std::shared_ptr<TaskProto> FindTaskProto(const std::string& name) const;
  void AddTaskProto(const std::shared_ptr<TaskProto>& proto);
  // True when every runtime object is defined; an empty table counts as complete.
  bool AllDefined() const;

  const std::shared_ptr<RuntimeObject>& start_runtime_object() const { return start_; }
  void set_start_runtime_object(std::shared_ptr<RuntimeObject> start) { start_ = std::move(start); }
  const std::map<uint32_t, std::shared_ptr<RuntimeObject>>& runtime_objects() const {
    return runtime_objects_;
  }
  const std::map<uint32_t, std::shared_ptr<TaskProto>>& task_protos() const { return task_protos_; }

 private:
  std::map<uint32_t, std::shared_ptr<TaskProto>> task_protos_;
  std::map<uint32_t, std::shared_ptr<RuntimeObject>> runtime_objects_;
  std::shared_ptr<RuntimeObject> start_;
};

}  // namespace task_object
