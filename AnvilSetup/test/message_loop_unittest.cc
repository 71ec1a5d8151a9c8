#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "base/message_loop.h"
#include "base/sequenced_worker_pool.h"
#include "base/singleton.h"
#include "base/thread.h"
#include "base/thread_checker.h"

namespace {

// Signals once; waits are bounded so a broken loop fails instead of hanging.
class Event {
 public:
  void Signal() {
    std::lock_guard<std::mutex> hold(lock_);
    signaled_ = true;
    cv_.notify_all();
  }
  bool Wait() {
    std::unique_lock<std::mutex> hold(lock_);
    return cv_.wait_for(hold, std::chrono::seconds(20), [this] { return signaled_; });
  }

 private:
  std::mutex lock_;
  std::condition_variable cv_;
  bool signaled_ = false;
};

// Records the thread it was destroyed on.
struct DeathProbe {
  explicit DeathProbe(std::thread::id* died_on) : died_on_(died_on) {}
  ~DeathProbe() { *died_on_ = std::this_thread::get_id(); }
  std::thread::id* died_on_;
};

TEST(MessageLoopTest, RunsTasksInOrderAndQuits) {
  base::MessageLoop loop;
  std::vector<int> order;
  for (int i = 0; i < 5; ++i)
    loop.task_runner()->PostTask(FROM_HERE, [&order, i] { order.push_back(i); });
  loop.task_runner()->PostTask(FROM_HERE, [] { base::MessageLoop::current()->Quit(); });
  loop.Run();
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), order);
}

TEST(MessageLoopTest, DelayedTasksRunByDueTimeAfterTheirDelay) {
  base::MessageLoop loop;
  std::vector<int> order;
  auto start = base::Now();
  base::TimeTicks ran_at;
  loop.task_runner()->PostDelayedTask(
      FROM_HERE,
      [&] {
        order.push_back(2);
        ran_at = base::Now();
        base::MessageLoop::current()->Quit();
      },
      std::chrono::milliseconds(40));
  loop.task_runner()->PostDelayedTask(
      FROM_HERE, [&] { order.push_back(1); }, std::chrono::milliseconds(10));
  loop.task_runner()->PostTask(FROM_HERE, [&] { order.push_back(0); });
  loop.Run();
  EXPECT_EQ((std::vector<int>{0, 1, 2}), order);
  EXPECT_GE(ran_at - start, std::chrono::milliseconds(40));
}

// A task that runs a nested loop: nestable tasks run inside it, a non-nestable one waits
// until the outer task has returned.
TEST(MessageLoopTest, NonNestableTasksWaitForTheOuterTask) {
  base::MessageLoop loop;
  auto runner = loop.task_runner();
  std::vector<std::string> order;
  runner->PostTask(FROM_HERE, [&] {
    order.push_back("outer-begin");
    runner->PostNonNestableDelayedTask(
        FROM_HERE, [&] { order.push_back("non-nestable"); }, base::TimeDelta(0));
    runner->PostTask(FROM_HERE, [&] {
      order.push_back("nested");
      base::MessageLoop::current()->Quit();
    });
    base::MessageLoop::current()->Run();
    order.push_back("outer-end");
    runner->PostTask(FROM_HERE, [&] {
      order.push_back("last");
      base::MessageLoop::current()->Quit();
    });
  });
  loop.Run();
  EXPECT_EQ(
      (std::vector<std::string>{"outer-begin", "nested", "outer-end", "non-nestable", "last"}),
      order);
}

TEST(MessageLoopTest, PostToADestroyedLoopFailsAndDropsTheClosureUnrun) {
  base::TaskRunnerPtr runner;
  {
    base::MessageLoop loop;
    runner = loop.task_runner();
  }
  std::thread::id died_on;
  bool ran = false;
  auto probe = std::make_shared<DeathProbe>(&died_on);
  EXPECT_FALSE(runner->PostTask(FROM_HERE, [probe, &ran] { ran = true; }));
  probe.reset();
  EXPECT_FALSE(ran);
  EXPECT_EQ(std::this_thread::get_id(), died_on);
}

TEST(ThreadTest, StartRunsTasksOnANamedThreadAndStopJoins) {
  base::Thread thread("Worker_A");
  ASSERT_TRUE(thread.Start());
  std::string name;
  std::thread::id id;
  Event done;
  thread.task_runner()->PostTask(FROM_HERE, [&] {
    name = base::MessageLoop::current()->thread_name();
    id = std::this_thread::get_id();
    done.Signal();
  });
  ASSERT_TRUE(done.Wait());
  EXPECT_EQ("Worker_A", name);
  EXPECT_NE(std::this_thread::get_id(), id);
  // Tasks already queued still run before the thread ends.
  bool last_ran = false;
  thread.task_runner()->PostTask(FROM_HERE, [&] { last_ran = true; });
  thread.Stop();
  EXPECT_TRUE(last_ran);
  EXPECT_FALSE(thread.task_runner()->PostTask(FROM_HERE, [] {}));
}

// The task dies on the target thread, the reply runs and dies on the posting thread.
TEST(ThreadTest, PostTaskAndReplyRunsTheReplyOnThePostingLoop) {
  base::MessageLoop loop;
  base::Thread thread("Target");
  ASSERT_TRUE(thread.Start());
  std::thread::id task_ran_on, task_died_on, reply_ran_on, reply_died_on, target_id;
  auto task_probe = std::make_shared<DeathProbe>(&task_died_on);
  auto reply_probe = std::make_shared<DeathProbe>(&reply_died_on);
  thread.task_runner()->PostTask(FROM_HERE, [&] { target_id = std::this_thread::get_id(); });
  ASSERT_TRUE(thread.task_runner()->PostTaskAndReply(
      FROM_HERE, [&, p = std::move(task_probe)] { task_ran_on = std::this_thread::get_id(); },
      [&, p = std::move(reply_probe)] {
        reply_ran_on = std::this_thread::get_id();
        base::MessageLoop::current()->Quit();
      }));
  loop.Run();
  thread.Stop();
  EXPECT_EQ(target_id, task_ran_on);
  EXPECT_EQ(target_id, task_died_on);
  EXPECT_EQ(std::this_thread::get_id(), reply_ran_on);
  EXPECT_EQ(std::this_thread::get_id(), reply_died_on);
}

TEST(ThreadTest, ThreadCheckerBindsToTheFirstCallerUntilDetached) {
  base::ThreadCheckerImpl checker;
  EXPECT_TRUE(checker.CalledOnValidThread());
  bool other = true;
  std::thread([&] { other = checker.CalledOnValidThread(); }).join();
  EXPECT_FALSE(other);
  checker.DetachFromThread();
  std::thread([&] { other = checker.CalledOnValidThread(); }).join();
  EXPECT_TRUE(other);
  EXPECT_FALSE(checker.CalledOnValidThread());
}

std::vector<std::string>* g_destroyed = nullptr;
template <int N>
struct Named {
  ~Named() { g_destroyed->push_back("S" + std::to_string(N)); }
};

TEST(AtExitTest, SingletonsAreDestroyedInReverseOrderOfCreation) {
  std::vector<std::string> destroyed;
  g_destroyed = &destroyed;
  {
    base::ShadowingAtExitManager at_exit;
    base::Singleton<Named<1>>::get();
    base::AtExitManager::RegisterCallback([&] { destroyed.push_back("callback"); });
    base::Singleton<Named<2>>::get();
    EXPECT_EQ(base::Singleton<Named<1>>::get(), base::Singleton<Named<1>>::get());
    EXPECT_TRUE(destroyed.empty());
  }
  EXPECT_EQ((std::vector<std::string>{"S2", "callback", "S1"}), destroyed);
  EXPECT_EQ(nullptr, base::Singleton<Named<1>>::GetIfExists());
}

TEST(AtExitTest, ConcurrentFirstUseCreatesOneInstance) {
  std::vector<std::string> destroyed;  // outlives the manager that destroys the singleton
  g_destroyed = &destroyed;
  base::ShadowingAtExitManager at_exit;
  std::vector<std::thread> threads;
  std::atomic<Named<3>*> seen[8];
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&seen, i] { seen[i] = base::Singleton<Named<3>>::get(); });
  for (std::thread& thread : threads)
    thread.join();
  for (int i = 1; i < 8; ++i)
    EXPECT_EQ(seen[0].load(), seen[i].load());
}

TEST(WorkerPoolTest, AtMostMaxThreadsAndQueuedTasksFinishAtShutdown) {
  base::SequencedWorkerPool pool(3, "SetupBlocking");
  std::atomic<int> ran{0};
  Event release;
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(pool.PostWorkerTask(FROM_HERE, [&] {
      release.Wait();
      ++ran;
    }));
  }
  EXPECT_LE(pool.started_threads(), 3u);
  release.Signal();
  pool.Shutdown();
  EXPECT_EQ(10, ran.load());
  EXPECT_FALSE(pool.PostWorkerTask(FROM_HERE, [] {}));
}

}  // namespace
