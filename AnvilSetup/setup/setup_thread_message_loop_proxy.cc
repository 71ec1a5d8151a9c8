#include "setup/setup_thread_message_loop_proxy.h"

namespace setup {

bool SetupThreadMessageLoopProxy::PostDelayedTask(const base::Location& from_here,
                                                  base::OnceClosure task,
                                                  base::TimeDelta delay) {
  return SetupThread::PostToThread(identifier_, from_here, std::move(task), delay, true);
}

bool SetupThreadMessageLoopProxy::PostDelayedTask(const base::Location& from_here,
                                                  base::OnceClosure task,
                                                  int64_t delay_ms) {
  return PostDelayedTask(from_here, std::move(task), base::TimeDelta(delay_ms * 1000));
}

bool SetupThreadMessageLoopProxy::RunsTasksOnCurrentThread() const {
  SetupThread::ID current;
  return SetupThread::IdentifyCurrentThread(&current) && current == identifier_;
}

bool SetupThreadMessageLoopProxy::PostNonNestableDelayedTask(const base::Location& from_here,
                                                             base::OnceClosure task,
                                                             base::TimeDelta delay) {
  return SetupThread::PostToThread(identifier_, from_here, std::move(task), delay, false);
}

bool SetupThreadMessageLoopProxy::PostNonNestableDelayedTask(const base::Location& from_here,
                                                             base::OnceClosure task,
                                                             int64_t delay_ms) {
  return PostNonNestableDelayedTask(from_here, std::move(task), base::TimeDelta(delay_ms * 1000));
}

std::shared_ptr<SetupThreadMessageLoopProxy> CreateMessageLoopProxyForThread(
    SetupThread::ID identifier) {
  return std::make_shared<SetupThreadMessageLoopProxy>(identifier);
}

}  // namespace setup
