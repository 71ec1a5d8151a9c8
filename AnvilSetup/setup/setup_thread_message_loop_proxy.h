// A task runner that stands for a named thread by identifier: every post goes through
// SetupThread::PostToThread, so it keeps working across that thread's lifetime and fails
// cleanly (false, closure destroyed) once the thread is gone.
#pragma once

#include <cstdint>
#include <memory>

#include "base/task_runner.h"
#include "setup/setup_thread.h"

namespace setup {

class SetupThreadMessageLoopProxy : public base::SingleThreadTaskRunner {
 public:
  explicit SetupThreadMessageLoopProxy(SetupThread::ID identifier) : identifier_(identifier) {}

  bool PostDelayedTask(const base::Location& from_here,
                       base::OnceClosure task,
                       base::TimeDelta delay) override;
  bool PostDelayedTask(const base::Location& from_here, base::OnceClosure task, int64_t delay_ms);
  bool RunsTasksOnCurrentThread() const override;
  bool PostNonNestableDelayedTask(const base::Location& from_here,
                                  base::OnceClosure task,
                                  base::TimeDelta delay) override;
  bool PostNonNestableDelayedTask(const base::Location& from_here,
                                  base::OnceClosure task,
                                  int64_t delay_ms);

  SetupThread::ID identifier() const { return identifier_; }

 private:
  const SetupThread::ID identifier_;
};

std::shared_ptr<SetupThreadMessageLoopProxy> CreateMessageLoopProxyForThread(
    SetupThread::ID identifier);

}  // namespace setup
