// Turns the task graph into running work. Init2 loads and parses the document on the
// main thread; every later decision runs on the DISPATCH thread: the start object fires,
// and each time an object's task has finished, each of its `Out` objects (in document
// order) fires when all of its `In` objects have finished and all of its `In` conditions
// hold against the setup context. The dispatcher never decides that the run is over: the
// exit task quits the main loop.
//
// An object triggered again while its previous task is still running is not fired a
// second time (a warning is logged); the running task is never replaced.
//
// When the last running task has finished and fired nothing, nothing can ever fire again:
// the graph has come to rest without its exit task (for example when no branch condition
// holds). The dispatcher then logs an ERROR and quits the UI loop instead of leaving the
// process idle for ever. A normal exit task's quit reaches the UI loop first, so this
// never shows on a normal run; a start object that never runs leaves the process idle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/thread_checker.h"
#include "task_object/task_context.h"

namespace task {

class TaskDispatcher {
 public:
  // Created on first use; destroyed by the at-exit manager.
  static TaskDispatcher* GetInstance();

  TaskDispatcher();
  virtual ~TaskDispatcher();
  TaskDispatcher(const TaskDispatcher&) = delete;
  TaskDispatcher& operator=(const TaskDispatcher&) = delete;

  // Main thread: loads resource "XML" 4000 from `module`, parses it and posts
  // InternalInit to DISPATCH. False when the graph cannot be loaded.
  bool Init2(void* module);
  // The same from document bytes already in hand (native tests, tools).
  bool Init2WithDocument(const std::string& document);

  void InternalInit();
  void InternalStart();
  void OnRuntimeObjectFinished(task_object::RuntimeObject* runtime_object);
  void RunOutObjects(task_object::RuntimeObject* finished);

  const std::shared_ptr<task_object::TaskContext>& context() const { return context_; }

 private:
  bool ConditionsHold(task_object::RuntimeObject* object) const;
  void Fire(task_object::RuntimeObject* object);

  int running_ = 0;  // fired and not yet finished; dispatch thread only
  void* module_ = nullptr;
  uint16_t resource_id_ = 4000;
  std::wstring resource_type_ = L"XML";
  std::wstring file_path_;
  std::shared_ptr<task_object::TaskContext> context_;
  base::ThreadChecker thread_checker_;
};

}  // namespace task
