// A per-thread message loop: a queue of closures (immediate and delayed, nestable or not)
// run one after another on the thread that created the loop. The UI type also dispatches
// Windows messages, so a task may show a modal box while nestable tasks keep running.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/location.h"
#include "base/message_pump.h"
#include "base/once_closure.h"
#include "base/task_runner.h"
#include "base/time.h"

namespace base {

class MessageLoopTaskRunner;

class MessageLoop : public MessagePump::Delegate {
 public:
  enum class Type { kDefault, kUI };

  // Binds the loop to the calling thread; one loop per thread.
  explicit MessageLoop(Type type = Type::kDefault);
  ~MessageLoop() override;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // The loop of the calling thread, or null.
  static MessageLoop* current();

  Type type() const { return type_; }
  // Runs until Quit() is called by a task of this loop. May be nested.
  void Run();
  // Makes the innermost Run() return once the calling task has returned.
  void Quit();

  // Shared runner for this loop; posts fail once the loop is destroyed.
  const TaskRunnerPtr& task_runner() const;

  // A loop's thread name can be set once.
  void set_thread_name(const std::string& name);
  const std::string& thread_name() const { return thread_name_; }

 private:
  friend class MessageLoopTaskRunner;

  struct PendingTask {
    Location posted_from;
    OnceClosure task;
    TimeTicks run_time;  // epoch = run as soon as possible
    uint64_t sequence = 0;
    bool nestable = true;
  };
  struct LaterFirst {
    bool operator()(const PendingTask& a, const PendingTask& b) const {
      return a.run_time != b.run_time ? a.run_time > b.run_time : a.sequence > b.sequence;
    }
  };

  // Any thread, under the runner's lock.
  void AddToIncomingQueue(const Location& from_here,
                          OnceClosure task,
                          TimeDelta delay,
                          bool nestable);

  bool DoWork() override;
  bool DoDelayedWork(TimeTicks* next) override;

  void ReloadWorkQueue();
  bool RunOrDefer(PendingTask* pending);

  const Type type_;
  std::string thread_name_;
  std::unique_ptr<MessagePump> pump_;
  std::shared_ptr<MessageLoopTaskRunner> runner_;
  TaskRunnerPtr runner_base_;

  std::mutex incoming_lock_;
  std::deque<PendingTask> incoming_;
  uint64_t next_sequence_ = 0;

  // Loop thread only.
  std::deque<PendingTask> work_queue_;
  std::vector<PendingTask> delayed_heap_;
  std::deque<PendingTask> deferred_non_nestable_;
  int task_depth_ = 0;
};

}  // namespace base
