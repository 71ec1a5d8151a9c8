// A single-thread task runner: posts closures to one thread's message loop. Shared and
// thread-safe; posting never runs the closure synchronously. A post that fails (the loop
// is gone) returns false and destroys the closure unrun.
#pragma once

#include <memory>

#include "base/location.h"
#include "base/once_closure.h"
#include "base/time.h"

namespace base {

class SingleThreadTaskRunner : public std::enable_shared_from_this<SingleThreadTaskRunner> {
 public:
  virtual ~SingleThreadTaskRunner() = default;

  virtual bool PostDelayedTask(const Location& from_here, OnceClosure task, TimeDelta delay) = 0;
  // Non-nestable tasks never run inside a nested (for example modal) loop.
  virtual bool PostNonNestableDelayedTask(const Location& from_here,
                                          OnceClosure task,
                                          TimeDelta delay) = 0;
  virtual bool RunsTasksOnCurrentThread() const = 0;

  bool PostTask(const Location& from_here, OnceClosure task) {
    return PostDelayedTask(from_here, std::move(task), TimeDelta(0));
  }

  // Runs `task` on this runner, then `reply` on the loop of the calling thread, which
  // must have a message loop. Each closure is destroyed on the thread that ran it.
  bool PostTaskAndReply(const Location& from_here, OnceClosure task, OnceClosure reply);
};

using TaskRunnerPtr = std::shared_ptr<SingleThreadTaskRunner>;

}  // namespace base
