// A task prototype of the graph: a `Task` element's name and the class its runtime
// objects instantiate.
#pragma once

#include <string>

namespace task_object {

class TaskProto {
 public:
  explicit TaskProto(const std::string& name) : name_(name) {}

  const std::string& name() const { return name_; }
  const std::string& class_name() const { return class_name_; }
  void set_class_name(const std::string& class_name) { class_name_ = class_name; }

 private:
  const std::string name_;
  std::string class_name_;
};

}  // namespace task_object
