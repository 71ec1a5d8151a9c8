// Per-hop cost of the dispatcher: a chain of 10,000 runtime objects bound to the FILE
// thread (each hop: decision on DISPATCH, task on FILE, completion back on DISPATCH),
// next to its floor, a bare post-task-and-reply from DISPATCH to FILE, in the same run.
// INFO lines are switched off so that the figure is the engine's, not the log's. The floor
// runs first: after the chain the main loop has the dispatcher's at-rest quit queued.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

#include "base/at_exit.h"
#include "base/logging.h"
#include "base/message_loop.h"
#include "setup/setup_main_loop.h"
#include "setup/setup_thread.h"
#include "setup/setup_thread_message_loop_proxy.h"
#include "task/task_base.h"
#include "task/task_class_registry.h"
#include "task/task_dispatcher.h"
#include "task_object/runtime_object.h"

namespace {

const int kHops = 10000;
using Clock = std::chrono::steady_clock;
Clock::time_point g_first_start;
Clock::time_point g_exit;

class BenchHop : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* object) override {
    if (object->name() == "N0")
      g_first_start = Clock::now();
  }
};

class BenchExit : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject*) override {
    g_exit = Clock::now();
    setup::SetupThread::PostTask(setup::SetupThread::UI, FROM_HERE,
                                 [] { base::MessageLoop::current()->Quit(); });
  }
};

void Hop(const base::TaskRunnerPtr& file, int left) {
  if (left == 0) {
    setup::SetupThread::PostTask(setup::SetupThread::UI, FROM_HERE,
                                 [] { base::MessageLoop::current()->Quit(); });
    return;
  }
  file->PostTaskAndReply(
      FROM_HERE, [] {}, [file, left] { Hop(file, left - 1); });
}

}  // namespace

REGISTER_TASK_CLASS(BenchHop, BenchHop)
REGISTER_TASK_CLASS(BenchExit, BenchExit)

int main() {
  base::AtExitManager at_exit;
  logging::SetMinLogLevel(logging::kWarning);
  setup::SetupMainParams params;
  setup::SetupMainLoop main_loop(params);
  main_loop.EnsureMainMessageLoop();
  main_loop.InitializeMainThread();
  main_loop.CreateThreads();

  auto file = setup::CreateMessageLoopProxyForThread(setup::SetupThread::FILE);
  Clock::time_point floor_start = Clock::now();
  setup::SetupThread::PostTask(setup::SetupThread::DISPATCH, FROM_HERE,
                               [file] { Hop(file, kHops); });
  main_loop.RunMainMessageLoop();
  double floor_us =
      std::chrono::duration<double, std::micro>(Clock::now() - floor_start).count() / kHops;

  std::string xml = "<Tasks start=\"N0\"><Task name=\"Hop\" class=\"BenchHop\">";
  for (int i = 0; i < kHops; ++i) {
    xml += "<RuntimeObject name=\"N" + std::to_string(i) + "\" thread=\"File\"><Out object=\"" +
           (i + 1 < kHops ? "N" + std::to_string(i + 1) : std::string("Exit")) +
           "\"/></RuntimeObject>";
  }
  xml +=
      "</Task><Task name=\"Exit\" class=\"BenchExit\"><RuntimeObject name=\"Exit\" "
      "thread=\"Dispatch\"/></Task></Tasks>";
  if (!task::TaskDispatcher::GetInstance()->Init2WithDocument(xml)) {
    std::fprintf(stderr, "graph rejected\n");
    return 1;
  }
  main_loop.RunMainMessageLoop();
  double chain_us =
      std::chrono::duration<double, std::micro>(g_exit - g_first_start).count() / kHops;

  std::printf("dispatcher chain, %d objects on FILE: %.2f us per hop\n", kHops, chain_us);
  std::printf("floor, post-task-and-reply DISPATCH->FILE->DISPATCH: %.2f us per hop\n", floor_us);
  main_loop.ShutdownThreads();
  return 0;
}
