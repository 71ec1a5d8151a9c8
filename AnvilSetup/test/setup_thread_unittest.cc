#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "base/message_loop.h"
#include "base/thread.h"
#include "setup/setup_thread.h"
#include "setup/setup_thread_message_loop_proxy.h"
#include "test_tasks.h"

namespace engine_test {
namespace {

struct DeathFlag {
  explicit DeathFlag(bool* died) : died_(died) {}
  ~DeathFlag() { *died_ = true; }
  bool* died_;
};

void QuitMainLoopFrom(setup::SetupThread::ID from) {
  setup::SetupThread::PostTask(from, FROM_HERE, [] {
    setup::SetupThread::PostTask(setup::SetupThread::UI, FROM_HERE,
                                 [] { base::MessageLoop::current()->Quit(); });
  });
}

class SetupThreadTest : public EngineTest {};

TEST_F(SetupThreadTest, NamedThreadsAreIdentifiedByTheirLoops) {
  setup::SetupThread::ID ids[setup::SetupThread::ID_COUNT];
  std::string names[setup::SetupThread::ID_COUNT];
  bool identified[setup::SetupThread::ID_COUNT] = {};
  for (int i = 0; i < setup::SetupThread::ID_COUNT; ++i) {
    setup::SetupThread::PostTask(
        static_cast<setup::SetupThread::ID>(i), FROM_HERE, [&ids, &names, &identified, i] {
          identified[i] = setup::SetupThread::IdentifyCurrentThread(&ids[i]);
          names[i] = base::MessageLoop::current()->thread_name();
        });
  }
  QuitMainLoopFrom(setup::SetupThread::FILE);
  main_loop_->RunMainMessageLoop();
  // FILE has answered before it posted the quit; DISPATCH is flushed by a round trip.
  QuitMainLoopFrom(setup::SetupThread::DISPATCH);
  main_loop_->RunMainMessageLoop();
  const char* expected[] = {"Setup_Main", "Setup_FileThread", "Setup_DispatchThread"};
  for (int i = 0; i < setup::SetupThread::ID_COUNT; ++i) {
    EXPECT_TRUE(identified[i]);
    EXPECT_EQ(i, ids[i]);
    EXPECT_EQ(expected[i], names[i]);
  }
}

TEST_F(SetupThreadTest, AnUnregisteredThreadIsNotIdentified) {
  base::Thread own("Thread_Task");
  own.Start();
  bool identified = true;
  own.task_runner()->PostTask(FROM_HERE, [&identified] {
    setup::SetupThread::ID id;
    identified = setup::SetupThread::IdentifyCurrentThread(&id);
  });
  own.Stop();
  EXPECT_FALSE(identified);
  setup::SetupThread::ID id;
  std::thread([&identified, &id] {
    identified = setup::SetupThread::IdentifyCurrentThread(&id);
  }).join();
  EXPECT_FALSE(identified);
}

TEST_F(SetupThreadTest, PostAfterShutdownFailsAndDestroysTheClosureUnrun) {
  main_loop_->ShutdownThreads();
  for (auto id : {setup::SetupThread::DISPATCH, setup::SetupThread::FILE}) {
    bool ran = false;
    bool died = false;
    auto flag = std::make_unique<DeathFlag>(&died);
    EXPECT_FALSE(
        setup::SetupThread::PostTask(id, FROM_HERE, [&ran, f = std::move(flag)] { ran = true; }));
    EXPECT_TRUE(died);
    EXPECT_FALSE(ran);
    auto proxy = setup::CreateMessageLoopProxyForThread(id);
    EXPECT_FALSE(proxy->PostDelayedTask(
        FROM_HERE, [] {}, int64_t{5}));
  }
}

TEST_F(SetupThreadTest, MillisecondFormsDelayByThatManyMilliseconds) {
  auto proxy = setup::CreateMessageLoopProxyForThread(setup::SetupThread::FILE);
  base::TimeTicks posted = base::Now();
  base::TimeTicks nestable_at, non_nestable_at;
  ASSERT_TRUE(proxy->PostDelayedTask(
      FROM_HERE, [&] { nestable_at = base::Now(); }, int64_t{30}));
  ASSERT_TRUE(proxy->PostNonNestableDelayedTask(
      FROM_HERE,
      [&] {
        non_nestable_at = base::Now();
        QuitMainLoopFrom(setup::SetupThread::FILE);
      },
      int64_t{60}));
  main_loop_->RunMainMessageLoop();
  EXPECT_GE(nestable_at - posted, std::chrono::milliseconds(30));
  EXPECT_GE(non_nestable_at - posted, std::chrono::milliseconds(60));
  EXPECT_LT(nestable_at, non_nestable_at);
}

TEST_F(SetupThreadTest, ProxyKnowsWhetherItRunsOnTheCurrentThread) {
  auto file_proxy = setup::CreateMessageLoopProxyForThread(setup::SetupThread::FILE);
  auto ui_proxy = setup::CreateMessageLoopProxyForThread(setup::SetupThread::UI);
  bool on_file = false;
  bool ui_on_file = true;
  file_proxy->PostTask(FROM_HERE, [&] {
    on_file = file_proxy->RunsTasksOnCurrentThread();
    ui_on_file = ui_proxy->RunsTasksOnCurrentThread();
  });
  QuitMainLoopFrom(setup::SetupThread::FILE);
  main_loop_->RunMainMessageLoop();
  EXPECT_TRUE(on_file);
  EXPECT_FALSE(ui_on_file);
  EXPECT_TRUE(ui_proxy->RunsTasksOnCurrentThread());
}

// Posts by identifier from many threads while DISPATCH is torn down: every post either
// runs its closure or reports false; none is lost silently (TSan checks the teardown).
TEST_F(SetupThreadTest, PostsRacingShutdownRunOrReportFalse) {
  std::atomic<int> accepted{0};
  std::atomic<int> ran{0};
  std::vector<std::thread> posters;
  std::atomic<bool> go{false};
  for (int t = 0; t < 4; ++t) {
    posters.emplace_back([&] {
      while (!go)
        std::this_thread::yield();
      for (int i = 0; i < 2000; ++i) {
        if (setup::SetupThread::PostTask(setup::SetupThread::DISPATCH, FROM_HERE,
                                         [&ran] { ++ran; }))
          ++accepted;
      }
    });
  }
  go = true;
  main_loop_->ShutdownThreads();
  for (std::thread& poster : posters)
    poster.join();
  EXPECT_EQ(accepted.load(), ran.load());
}

}  // namespace
}  // namespace engine_test
