// The wait-and-wake part of a message loop. The default pump waits on a condition
// variable; the Windows UI pump also dispatches window messages (message_pump_win.cc).
#pragma once

#include <memory>

#include "base/time.h"

namespace base {

class MessagePump {
 public:
  class Delegate {
   public:
    virtual ~Delegate() = default;
    // Runs one ready task; true when one ran (more may be waiting).
    virtual bool DoWork() = 0;
    // Runs one due delayed task; sets `next` to the next due time (max when none).
    virtual bool DoDelayedWork(TimeTicks* next) = 0;
  };

  virtual ~MessagePump() = default;
  // Loops until Quit() is called from a task running inside it; may be nested.
  virtual void Run(Delegate* delegate) = 0;
  virtual void Quit() = 0;
  // Any thread: wake the pump because a task was posted.
  virtual void ScheduleWork() = 0;
  // Loop thread: the earliest delayed task is now due at `when`.
  virtual void ScheduleDelayedWork(TimeTicks when) = 0;
};

std::unique_ptr<MessagePump> CreateDefaultMessagePump();
// On Windows a pump that also dispatches window messages; elsewhere the default pump.
std::unique_ptr<MessagePump> CreateUIMessagePump();

}  // namespace base
