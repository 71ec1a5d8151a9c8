#include "task_object/task_graph_parser.h"

#include <cstring>

#include <tinyxml2.h>

#include "base/logging.h"
#include "base/string_util.h"

namespace task_object {

namespace {

std::shared_ptr<RuntimeObject> FindOrAdd(TaskContext* context, const std::string& name) {
  std::shared_ptr<RuntimeObject> object = context->FindRuntimeObject(name);
  if (!object) {
    object = std::make_shared<RuntimeObject>(name);
    context->AddRuntimeObject(object);
  }
  return object;
}

std::vector<std::string> ListAttribute(const tinyxml2::XMLElement* element, const char* name) {
  const char* value = element->Attribute(name);
  return value ? base::SplitNonEmptyTrimmed(value, ';') : std::vector<std::string>();
}

void ReadIn(const tinyxml2::XMLElement* in, TaskContext* context, RuntimeObject* object) {
  for (const std::string& name : ListAttribute(in, "object"))
    object->in_objects()[FindOrAdd(context, name)] = false;
  for (const std::string& piece : ListAttribute(in, "condition")) {
    size_t eq = piece.find('=');
    if (eq == std::string::npos || eq + 1 == piece.size())
      continue;
    object->in_conditions().emplace_back(piece.substr(0, eq), piece.substr(eq + 1));
  }
  for (const std::string& param : ListAttribute(in, "param"))
    object->in_params().push_back(param);
}

void ReadOut(const tinyxml2::XMLElement* out, TaskContext* context, RuntimeObject* object) {
  for (const std::string& name : ListAttribute(out, "object"))
    object->out_objects().push_back(FindOrAdd(context, name));
  for (const std::string& param : ListAttribute(out, "param"))
    object->out_params().push_back(param);
}

bool ReadRuntimeObject(const tinyxml2::XMLElement* element,
                       const std::shared_ptr<TaskProto>& proto,
                       TaskContext* context) {
  const char* name = element->Attribute("name");
  if (!name) {
    LOG(ERROR) << "Task " << proto->name() << ": RuntimeObject without name";
    return false;
  }
  std::shared_ptr<RuntimeObject> object = FindOrAdd(context, name);
  if (object->defined()) {
    LOG(ERROR) << "RuntimeObject " << name << " defined twice";
    return false;
  }
  object->set_thread_id(ThreadIdFromName(element->Attribute("thread")));
  if (const tinyxml2::XMLElement* in = element->FirstChildElement("In"))
    ReadIn(in, context, object.get());
  if (const tinyxml2::XMLElement* out = element->FirstChildElement("Out"))
    ReadOut(out, context, object.get());
  object->set_task_proto(proto);
  object->set_defined();
  return true;
}

bool ReadTask(const tinyxml2::XMLElement* element, TaskContext* context) {
  const char* name = element->Attribute("name");
  const char* class_name = element->Attribute("class");
  if (!name || !class_name) {
    LOG(ERROR) << "Task element without name or class";
    return false;
  }
  if (context->FindTaskProto(name)) {
    LOG(ERROR) << "Task " << name << " defined twice";
    return false;
  }
  auto proto = std::make_shared<TaskProto>(name);
  proto->set_class_name(class_name);
  context->AddTaskProto(proto);
  for (const tinyxml2::XMLElement* object = element->FirstChildElement("RuntimeObject"); object;
       object = object->NextSiblingElement("RuntimeObject")) {
    if (!ReadRuntimeObject(object, proto, context))
      return false;
  }
  return true;
}

}  // namespace

int ThreadIdFromName(const char* name) {
  static const char* const kNames[] = {"UI", "File", "Dispatch"};
  for (int i = 0; name && i < kOwnThread; ++i) {
    if (std::strcmp(name, kNames[i]) == 0)
      return i;
  }
  return kOwnThread;
}

bool ParseTaskGraph(const char* data, size_t size, TaskContext* context) {
  tinyxml2::XMLDocument document;
  tinyxml2::XMLError error = document.Parse(data, size);
  if (error != tinyxml2::XML_SUCCESS) {
    LOG(ERROR) << "ErrorID = " << static_cast<int>(error);
    return false;
  }
  const tinyxml2::XMLElement* root = document.FirstChildElement("Tasks");
  if (!root) {
    LOG(ERROR) << "Task graph has no Tasks element";
    return false;
  }
  const char* start_name = root->Attribute("start");
  if (!start_name) {
    LOG(ERROR) << "Task graph has no start object";
    return false;
  }
  if (context->FindRuntimeObject(start_name)) {
    LOG(ERROR) << "Start object " << start_name << " exists already";
    return false;
  }
  auto start = std::make_shared<RuntimeObject>(start_name);
  context->AddRuntimeObject(start);
  context->set_start_runtime_object(start);

  for (const tinyxml2::XMLElement* task = root->FirstChildElement("Task"); task;
       task = task->NextSiblingElement("Task")) {
    if (!ReadTask(task, context))
      return false;
  }
  if (!context->AllDefined()) {
    for (const auto& entry : context->runtime_objects()) {
      if (!entry.second->defined())
        LOG(ERROR) << "RuntimeObject " << entry.second->name() << " is used but not defined";
    }
    return false;
  }
  return true;
}

}  // namespace task_object
