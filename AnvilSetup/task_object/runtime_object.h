// A node of the task graph: which task class it runs (through its prototype), on which
// thread, which objects must all have finished before it runs (`in_objects`, each with a
// done flag), the context conditions it needs and the objects it triggers when it has
// finished (`out_objects`, in document order). Its task instance exists from firing until
// the dispatcher has handled the completion. Fields change only on the dispatch thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "task_object/task_proto.h"

namespace task {
class TaskBase;
}

namespace task_object {

// 0 UI, 1 FILE, 2 DISPATCH; 3 = no binding, the task gets a thread of its own.
const int kOwnThread = 3;

class RuntimeObject {
 public:
  explicit RuntimeObject(const std::string& name);
  virtual ~RuntimeObject();
  RuntimeObject(const RuntimeObject&) = delete;
  RuntimeObject& operator=(const RuntimeObject&) = delete;

  const std::string& name() const { return name_; }
  int thread_id() const { return thread_id_; }
  void set_thread_id(int thread_id) { thread_id_ = thread_id; }
  const std::shared_ptr<TaskProto>& task_proto() const { return task_proto_; }
  void set_task_proto(std::shared_ptr<TaskProto> proto) { task_proto_ = std::move(proto); }
  bool defined() const { return defined_; }
  void set_defined() { defined_ = true; }

  std::map<std::shared_ptr<RuntimeObject>, bool>& in_objects() { return in_objects_; }
  std::vector<std::shared_ptr<RuntimeObject>>& out_objects() { return out_objects_; }
  std::vector<std::pair<std::string, std::string>>& in_conditions() { return in_conditions_; }
  std::vector<std::string>& in_params() { return in_params_; }
  std::vector<std::string>& out_params() { return out_params_; }

  task::TaskBase* task() const { return task_.get(); }
  // A fresh instance of the prototype's class; false (and no task) when the class is
  // neither registered nor a planned class of the shipped graph.
  bool CreateTask();
  // Hands a bound object's task the runner of its named thread, then starts it.
  void StartTask();
  // Destroys the instance; an own thread still at work is joined first.
  void DestroyTask();
  // Drops the links to other objects (they form cycles).
  void ClearLinks();

 private:
  const std::string name_;
  int thread_id_ = kOwnThread;
  std::shared_ptr<TaskProto> task_proto_;
  std::unique_ptr<task::TaskBase> task_;
  std::map<std::shared_ptr<RuntimeObject>, bool> in_objects_;
  std::vector<std::shared_ptr<RuntimeObject>> out_objects_;
  std::vector<std::pair<std::string, std::string>> in_conditions_;
  std::vector<std::string> in_params_;
  std::vector<std::string> out_params_;
  bool defined_ = false;
};

}  // namespace task_object
