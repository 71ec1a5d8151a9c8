#include <condition_variable>
#include <mutex>

#include "base/message_pump.h"

namespace base {

namespace {

class MessagePumpDefault : public MessagePump {
 public:
  void Run(Delegate* delegate) override {
    const bool outer_quit = quit_;
    quit_ = false;
    for (;;) {
      bool did_work = delegate->DoWork();
      if (quit_)
        break;
      TimeTicks next = TimeTicks::max();
      did_work |= delegate->DoDelayedWork(&next);
      if (quit_)
        break;
      if (did_work)
        continue;
      std::unique_lock<std::mutex> hold(lock_);
      if (next == TimeTicks::max())
        wake_.wait(hold, [this] { return work_scheduled_; });
      else
        wake_.wait_until(hold, next, [this] { return work_scheduled_; });
      work_scheduled_ = false;
    }
    quit_ = outer_quit;
  }

  void Quit() override { quit_ = true; }

  void ScheduleWork() override {
    std::lock_guard<std::mutex> hold(lock_);
    work_scheduled_ = true;
    wake_.notify_one();
  }

  // The run loop recomputes the next due time on every turn.
  void ScheduleDelayedWork(TimeTicks) override {}

 private:
  bool quit_ = false;  // loop thread only
  std::mutex lock_;
  std::condition_variable wake_;
  bool work_scheduled_ = false;
};

}  // namespace

std::unique_ptr<MessagePump> CreateDefaultMessagePump() {
  return std::make_unique<MessagePumpDefault>();
}

#if !defined(_WIN32)
std::unique_ptr<MessagePump> CreateUIMessagePump() {
  return CreateDefaultMessagePump();
}
#endif

}  // namespace base
