#include "base/message_loop.h"

#include <algorithm>

#include "base/logging.h"

namespace base {

namespace {
thread_local MessageLoop* g_current_loop = nullptr;
}  // namespace

class MessageLoopTaskRunner : public SingleThreadTaskRunner {
 public:
  explicit MessageLoopTaskRunner(MessageLoop* loop) : loop_(loop) {}

  bool PostDelayedTask(const Location& from_here, OnceClosure task, TimeDelta delay) override {
    return Post(from_here, std::move(task), delay, true);
  }
  bool PostNonNestableDelayedTask(const Location& from_here,
                                  OnceClosure task,
                                  TimeDelta delay) override {
    return Post(from_here, std::move(task), delay, false);
  }
  bool RunsTasksOnCurrentThread() const override {
    std::lock_guard<std::mutex> hold(lock_);
    return loop_ != nullptr && loop_ == MessageLoop::current();
  }

  void DetachLoop() {
    std::lock_guard<std::mutex> hold(lock_);
    loop_ = nullptr;
  }

 private:
  // A closure that is not posted dies with the parameter, after the lock is released.
  bool Post(const Location& from_here, OnceClosure task, TimeDelta delay, bool nestable) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!loop_)
      return false;
    loop_->AddToIncomingQueue(from_here, std::move(task), delay, nestable);
    return true;
  }

  mutable std::mutex lock_;
  MessageLoop* loop_;
};

bool SingleThreadTaskRunner::PostTaskAndReply(const Location& from_here,
                                              OnceClosure task,
                                              OnceClosure reply) {
  MessageLoop* origin_loop = MessageLoop::current();
  DCHECK(origin_loop);
  if (!origin_loop)
    return false;
  TaskRunnerPtr origin = origin_loop->task_runner();
  return PostTask(from_here,
                  [from_here, origin, task = std::move(task), reply = std::move(reply)]() mutable {
                    task.Run();
                    origin->PostTask(from_here, std::move(reply));
                  });
}

MessageLoop::MessageLoop(Type type)
    : type_(type),
      pump_(type == Type::kUI ? CreateUIMessagePump() : CreateDefaultMessagePump()),
      runner_(std::make_shared<MessageLoopTaskRunner>(this)),
      runner_base_(runner_) {
  DCHECK(!g_current_loop);
  g_current_loop = this;
}

MessageLoop::~MessageLoop() {
  DCHECK(g_current_loop == this);
  runner_->DetachLoop();
  // Closures still queued are destroyed unrun, here on the loop's thread.
  {
    std::lock_guard<std::mutex> hold(incoming_lock_);
    work_queue_.insert(work_queue_.end(), std::make_move_iterator(incoming_.begin()),
                       std::make_move_iterator(incoming_.end()));
    incoming_.clear();
  }
  work_queue_.clear();
  delayed_heap_.clear();
  deferred_non_nestable_.clear();
  pump_.reset();
  g_current_loop = nullptr;
}

MessageLoop* MessageLoop::current() {
  return g_current_loop;
}

void MessageLoop::Run() {
  DCHECK(g_current_loop == this);
  pump_->Run(this);
}

void MessageLoop::Quit() {
  DCHECK(g_current_loop == this);
  pump_->Quit();
}

const TaskRunnerPtr& MessageLoop::task_runner() const {
  return runner_base_;
}

void MessageLoop::set_thread_name(const std::string& name) {
  DCHECK(thread_name_.empty());
  if (thread_name_.empty())
    thread_name_ = name;
}

void MessageLoop::AddToIncomingQueue(const Location& from_here,
                                     OnceClosure task,
                                     TimeDelta delay,
                                     bool nestable) {
  PendingTask pending;
  pending.posted_from = from_here;
  pending.task = std::move(task);
  pending.nestable = nestable;
  if (delay > TimeDelta(0))
    pending.run_time = Now() + delay;
  {
    std::lock_guard<std::mutex> hold(incoming_lock_);
    pending.sequence = next_sequence_++;
    incoming_.push_back(std::move(pending));
  }
  pump_->ScheduleWork();
}

void MessageLoop::ReloadWorkQueue() {
  std::lock_guard<std::mutex> hold(incoming_lock_);
  work_queue_.swap(incoming_);
}

bool MessageLoop::RunOrDefer(PendingTask* pending) {
  // Inside another task (a nested or modal loop) only nestable tasks may run.
  if (task_depth_ > 0 && !pending->nestable) {
    deferred_non_nestable_.push_back(std::move(*pending));
    return false;
  }
  ++task_depth_;
  pending->task.Run();
  --task_depth_;
  return true;
}

bool MessageLoop::DoWork() {
  if (task_depth_ == 0 && !deferred_non_nestable_.empty()) {
    PendingTask pending = std::move(deferred_non_nestable_.front());
    deferred_non_nestable_.pop_front();
    return RunOrDefer(&pending);
  }
  for (;;) {
    if (work_queue_.empty()) {
      ReloadWorkQueue();
      if (work_queue_.empty())
        return false;
    }
    PendingTask pending = std::move(work_queue_.front());
    work_queue_.pop_front();
    if (pending.run_time != TimeTicks()) {
      TimeTicks when = pending.run_time;
      delayed_heap_.push_back(std::move(pending));
      std::push_heap(delayed_heap_.begin(), delayed_heap_.end(), LaterFirst());
      if (delayed_heap_.front().run_time == when)
        pump_->ScheduleDelayedWork(when);
      continue;
    }
    if (RunOrDefer(&pending))
      return true;
  }
}

bool MessageLoop::DoDelayedWork(TimeTicks* next) {
  if (delayed_heap_.empty()) {
    *next = TimeTicks::max();
    return false;
  }
  if (delayed_heap_.front().run_time > Now()) {
    *next = delayed_heap_.front().run_time;
    return false;
  }
  std::pop_heap(delayed_heap_.begin(), delayed_heap_.end(), LaterFirst());
  PendingTask pending = std::move(delayed_heap_.back());
  delayed_heap_.pop_back();
  *next = delayed_heap_.empty() ? TimeTicks::max() : delayed_heap_.front().run_time;
  RunOrDefer(&pending);
  return true;
}

}  // namespace base
