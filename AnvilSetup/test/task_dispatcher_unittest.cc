#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "base/message_loop.h"
#include "setup/setup_context.h"
#include "setup/setup_thread.h"
#include "task/not_available_task.h"
#include "task/task_dispatcher.h"
#include "test_tasks.h"

namespace engine_test {
namespace {

const bool g_planned = task::RegisterPlannedTaskClass("PlannedClassForTest");

std::string Object(const std::string& name,
                   const std::string& cls,
                   const std::string& thread,
                   const std::string& in,
                   const std::string& out) {
  std::string xml =
      "<Task name=\"" + name + "\" class=\"" + cls + "\"><RuntimeObject name=\"" + name + "\"";
  if (!thread.empty())
    xml += " thread=\"" + thread + "\"";
  xml += ">" + in;
  if (!out.empty())
    xml += "<Out object=\"" + out + "\"/>";
  return xml + "</RuntimeObject></Task>";
}

std::string Graph(const std::string& start, const std::string& body) {
  return "<?xml version=\"1.0\"?><Tasks name=\"SetupTask\" start=\"" + start + "\">" + body +
         "</Tasks>";
}

const char kExit[] = "<Task name=\"Exit\" class=\"TestExit\"><RuntimeObject name=\"Exit\"/></Task>";

int IndexOf(const std::vector<Record>& records, const std::string& object, bool finished) {
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].object == object && records[i].finished == finished)
      return static_cast<int>(i);
  }
  return -1;
}

class TaskDispatcherTest : public EngineTest {};

// The join fires once, after the later predecessor, in either finishing order.
TEST_F(TaskDispatcherTest, JoinFiresOnceAfterTheLaterPredecessor) {
  struct Case {
    const char* later;
    const char* p_in;
    const char* q_in;
  } cases[] = {{"P", "<In param=\"after:Q\"/>", ""}, {"Q", "", "<In param=\"after:P\"/>"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.later);
    TearDown();
    SetUp();
    std::string body =
        Object("S", "TestRecord", "", "", "P;Q") + Object("P", "TestRecord", "File", c.p_in, "J") +
        Object("Q", "TestRecord", "", c.q_in, "J") +
        Object("J", "TestRecord", "Dispatch", "<In object=\"P;Q\"/>", "Exit") + kExit;
    ASSERT_TRUE(RunGraph(Graph("S", body)));
    auto records = Recorder::Get().records();
    EXPECT_EQ(1, Recorder::Get().Count("J", false));
    EXPECT_GT(IndexOf(records, "J", false), IndexOf(records, c.later, true));
  }
}

TEST_F(TaskDispatcherTest, InNamingAnObjectThatDoesNotTriggerItNeverFires) {
  std::string body = Object("S", "TestRecord", "", "", "A;B") +
                     Object("A", "TestRecord", "", "", "C") +
                     Object("B", "TestRecord", "", "<In param=\"after:A\"/>", "Exit") +
                     Object("C", "TestRecord", "", "<In object=\"A;B\"/>", "") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  EXPECT_EQ(1, Recorder::Get().Count("B", true));
  EXPECT_EQ(0, Recorder::Get().Count("C", false));
}

// Skipped while K=X, fired when triggered again after K became V.
TEST_F(TaskDispatcherTest, ConditionIsTestedAgainOnTheNextTrigger) {
  std::string body = Object("S", "TestRecord", "", "", "P;Q") +
                     Object("P", "TestRecord", "File", "<In param=\"set:K=X\"/>", "T") +
                     Object("Q", "TestRecord", "", "<In param=\"after:P;set:K=V\"/>", "T") +
                     Object("T", "TestRecord", "", "<In condition=\"K=V\"/>", "Exit") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  auto records = Recorder::Get().records();
  EXPECT_EQ(1, Recorder::Get().Count("T", false));
  EXPECT_GT(IndexOf(records, "T", false), IndexOf(records, "Q", true));
}

// Every condition of an In must hold; a key nobody set reads as empty and fails.
TEST_F(TaskDispatcherTest, AllConditionsMustHold) {
  std::string body =
      Object("S", "TestRecord", "", "<In param=\"set:A=1;set:B=2\"/>", "Both;OneWrong;Unset;Exit") +
      Object("Both", "TestRecord", "", "<In condition=\"A=1;B=2\"/>", "") +
      Object("OneWrong", "TestRecord", "", "<In condition=\"A=1;B=3\"/>", "") +
      Object("Unset", "TestRecord", "", "<In condition=\"Nobody=x\"/>", "") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  EXPECT_TRUE(Recorder::Get().WaitFor("Both", true));
  EXPECT_EQ(0, Recorder::Get().Count("OneWrong", false));
  EXPECT_EQ(0, Recorder::Get().Count("Unset", false));
}

// U (on UI) waits until O (own thread) has started and the other way round: only
// concurrent runs get past both waits.
TEST_F(TaskDispatcherTest, SuccessorsOnDifferentThreadsRunConcurrently) {
  std::string body = Object("S", "TestRecord", "Dispatch", "", "U;O") +
                     Object("U", "TestRecord", "UI", "<In param=\"started:O\"/>", "J") +
                     Object("O", "TestRecord", "", "<In param=\"started:U\"/>", "J") +
                     Object("J", "TestRecord", "", "<In object=\"U;O\"/>", "Exit") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  auto records = Recorder::Get().records();
  EXPECT_EQ("Setup_Main", records[IndexOf(records, "U", false)].thread);
  EXPECT_EQ("Thread_O", records[IndexOf(records, "O", false)].thread);
  EXPECT_EQ("Setup_DispatchThread", records[IndexOf(records, "S", false)].thread);
}

TEST_F(TaskDispatcherTest, FileBoundTasksRunOnTheFileThreadInFiringOrder) {
  std::string body = Object("S", "TestRecord", "", "", "F1;F2;F3") +
                     Object("F1", "TestRecord", "File", "", "") +
                     Object("F2", "TestRecord", "File", "", "") +
                     Object("F3", "TestRecord", "File", "", "Exit") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  auto records = Recorder::Get().records();
  for (const char* name : {"F1", "F2", "F3"})
    EXPECT_EQ("Setup_FileThread", records[IndexOf(records, name, false)].thread) << name;
  EXPECT_LT(IndexOf(records, "F1", true), IndexOf(records, "F2", false));
  EXPECT_LT(IndexOf(records, "F2", true), IndexOf(records, "F3", false));
}

// R is fired right after Q's trigger of the still running L was considered; L waits
// for R, so Q's trigger reaches L while it runs and must not start it again.
TEST_F(TaskDispatcherTest, TriggerOfARunningObjectIsIgnored) {
  std::string body = Object("S", "TestRecord", "", "", "P;Q") +
                     Object("P", "TestRecord", "", "", "L") +
                     Object("Q", "TestRecord", "", "<In param=\"started:L\"/>", "L;R") +
                     Object("L", "TestRecord", "", "<In param=\"started:R\"/>", "Exit") +
                     Object("R", "TestRecord", "", "", "") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  EXPECT_EQ(1, Recorder::Get().Count("L", false));
}

TEST_F(TaskDispatcherTest, TwoObjectsOfOneClassGetSeparateInstances) {
  std::string body =
      "<Task name=\"T\" class=\"TestRecord\">"
      "<RuntimeObject name=\"A\"><Out object=\"B\"/></RuntimeObject>"
      "<RuntimeObject name=\"B\"><Out object=\"Exit\"/></RuntimeObject></Task>" +
      std::string(kExit);
  ASSERT_TRUE(RunGraph(Graph("A", body)));
  EXPECT_EQ(1, Recorder::Get().Count("A", true));
  EXPECT_EQ(1, Recorder::Get().Count("B", true));
}

// A planned class that is not built yet completes without effect, so the graph goes on.
TEST_F(TaskDispatcherTest, PlannedClassCompletesWithoutEffect) {
  std::string body = Object("S", "PlannedClassForTest", "", "", "Exit") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  EXPECT_EQ(1, Recorder::Get().Count("Exit", true));
}

// An unknown start class: nothing runs. B is posted to DISPATCH behind InternalStart and
// looks at the graph once the start has been handled.
TEST_F(TaskDispatcherTest, UnregisteredStartClassLeavesTheProcessIdle) {
  std::string body = Object("S", "NoSuchClass", "", "", "Exit") + kExit;
  task::TaskDispatcher* dispatcher = task::TaskDispatcher::GetInstance();
  ASSERT_TRUE(dispatcher->Init2WithDocument(Graph("S", body)));
  bool any_task = true;
  setup::SetupThread::PostTask(setup::SetupThread::DISPATCH, FROM_HERE, [&any_task, dispatcher] {
    setup::SetupThread::PostTask(setup::SetupThread::DISPATCH, FROM_HERE, [&any_task, dispatcher] {
      any_task = false;
      for (const auto& entry : dispatcher->context()->runtime_objects())
        any_task = any_task || entry.second->task() != nullptr;
      setup::SetupThread::PostTask(setup::SetupThread::UI, FROM_HERE,
                                   [] { base::MessageLoop::current()->Quit(); });
    });
  });
  main_loop_->RunMainMessageLoop();
  EXPECT_FALSE(any_task);
  EXPECT_TRUE(Recorder::Get().records().empty());
}

// No exit task is reached: once the last task has finished without firing anything, the
// run ends instead of idling for ever.
TEST_F(TaskDispatcherTest, GraphAtRestWithoutExitEndsTheRun) {
  std::string body = Object("S", "TestRecord", "", "<In param=\"set:Branch=neither\"/>", "A;B") +
                     Object("A", "TestRecord", "", "<In condition=\"Branch=a\"/>", "Exit") +
                     Object("B", "TestRecord", "", "<In condition=\"Branch=b\"/>", "Exit") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  auto records = Recorder::Get().records();
  ASSERT_EQ(2u, records.size());
  EXPECT_EQ("S", records[1].object);
}

// A task without a binding runs on "Thread_<object>", which has ended before the
// successors are considered.
TEST_F(TaskDispatcherTest, OwnThreadHasEndedBeforeSuccessorsRun) {
  std::string body = Object("S", "TestRecord", "", "", "O") +
                     Object("O", "TestRecord", "", "", "T") +
                     Object("T", "TestRecord", "File", "<In param=\"exited:O\"/>", "Exit") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  auto records = Recorder::Get().records();
  EXPECT_EQ("Thread_O", records[IndexOf(records, "O", false)].thread);
  EXPECT_EQ(1, Recorder::Get().Count("T", true));
}

// A side task still at work when the exit task ends the run is waited for when the
// dispatcher goes away at exit; the gate opens only once that teardown has begun.
TEST_F(TaskDispatcherTest, TaskStillRunningAtTheEndIsWaitedForAtExit) {
  std::string body = Object("S", "TestRecord", "", "", "Side;Exit") +
                     Object("Side", "TestRecord", "", "<In param=\"gate\"/>", "") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  EXPECT_EQ(0, Recorder::Get().Count("Side", true));
  std::thread opener([] {
    Recorder::Get().WaitFor("teardown", false);
    Recorder::Get().OpenGate();
  });
  main_loop_->ShutdownThreads();
  main_loop_.reset();
  Recorder::Get().Add({"teardown", "", false});
  at_exit_.reset();
  EXPECT_EQ(1, Recorder::Get().Count("Side", true));
  opener.join();
  SetUp();
}

TEST_F(TaskDispatcherTest, StartObjectConditionIsNotTested) {
  std::string body = Object("S", "TestRecord", "", "<In condition=\"Never=set\"/>", "Exit") + kExit;
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  EXPECT_EQ(1, Recorder::Get().Count("S", true));
}

// Thousands of objects on every kind of thread, each joining two predecessors of the
// layer before; every object runs exactly once and the exit waits for the last layer.
TEST_F(TaskDispatcherTest, LargeGraphWithJoinsAcrossThreadsRunsToItsEnd) {
  const int kWidth = 4;
  const int kLayers = 500;
  const char* const kThreads[] = {"UI", "File", "Dispatch", "", "File", "Dispatch", "UI", "File"};
  auto name = [](int layer, int index) {
    return "N" + std::to_string(layer) + "_" + std::to_string(index);
  };
  std::string start_out;
  for (int i = 0; i < kWidth; ++i)
    start_out += name(0, i) + ";";
  std::string body = Object("S", "TestRecord", "", "", start_out);
  std::string last_layer;
  int n = 0;
  for (int layer = 0; layer < kLayers; ++layer) {
    for (int i = 0; i < kWidth; ++i, ++n) {
      std::string in = "<In param=\"set:Shared=" + name(layer, i) + "\"";
      if (layer > 0)
        in += " object=\"" + name(layer - 1, i) + ";" + name(layer - 1, (i + 1) % kWidth) + "\"";
      in += "/>";
      std::string out = layer + 1 == kLayers
                            ? std::string("Exit")
                            : name(layer + 1, i) + ";" + name(layer + 1, (i + kWidth - 1) % kWidth);
      const char* thread = (n % 25 == 0) ? "" : kThreads[n % 8];
      body += Object(name(layer, i), "TestRecord", thread, in, out);
      if (layer + 1 == kLayers)
        last_layer += name(layer, i) + ";";
    }
  }
  body += "<Task name=\"Exit\" class=\"TestExit\"><RuntimeObject name=\"Exit\"><In object=\"" +
          last_layer + "\"/></RuntimeObject></Task>";
  ASSERT_TRUE(RunGraph(Graph("S", body)));
  auto records = Recorder::Get().records();
  EXPECT_EQ(static_cast<size_t>(3 + 2 * kWidth * kLayers), records.size());
  for (int layer = 0; layer < kLayers; layer += 97) {
    for (int i = 0; i < kWidth; ++i)
      EXPECT_EQ(1, Recorder::Get().Count(name(layer, i), true)) << name(layer, i);
  }
  EXPECT_EQ(1, Recorder::Get().Count("Exit", true));
}

}  // namespace
}  // namespace engine_test
