// A named thread running a message loop. Start() returns once the loop exists; Stop()
// quits the loop after the tasks already posted and joins the thread. A Thread object
// can also wrap a loop that already runs on the calling thread (the main thread).
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <pthread.h>

#include "base/message_loop.h"
#include "base/task_runner.h"

namespace base {

class Thread {
 public:
  struct Options {
    MessageLoop::Type message_loop_type = MessageLoop::Type::kDefault;
    size_t stack_size = 0;  // 0 = the platform default
  };

  explicit Thread(const std::string& name);
  // Wraps `existing_loop`, which belongs to the calling thread; such a thread is never
  // started or joined.
  Thread(const std::string& name, MessageLoop* existing_loop);
  // Derived classes must call Stop() in their own destructor (Init/CleanUp are virtual).
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  bool Start();
  bool StartWithOptions(const Options& options);
  // Safe to call more than once, and on a thread that was never started.
  void Stop();

  const std::string& thread_name() const { return name_; }
  MessageLoop* message_loop() const { return message_loop_; }
  TaskRunnerPtr task_runner() const;
  bool IsRunning() const { return started_ && !stopped_; }

 protected:
  // Run on the new thread before its loop runs and after it has stopped.
  virtual void Init() {}
  virtual void CleanUp() {}

 private:
  void ThreadMain(Options options);

  const std::string name_;
  const bool wraps_existing_loop_;
  MessageLoop* message_loop_ = nullptr;
  TaskRunnerPtr task_runner_;
  pthread_t thread_{};
  bool started_ = false;
  bool stopped_ = false;
};

// Names the calling thread for debuggers and for the log.
void SetCurrentThreadName(const std::string& name);
const std::string& GetCurrentThreadName();

}  // namespace base
