#include "test_tasks.h"

#include <chrono>

#include "base/logging.h"
#include "base/message_loop.h"
#include "setup/setup_context.h"
#include "setup/setup_thread.h"
#include "task/task_base.h"
#include "task/task_class_registry.h"
#include "task/task_dispatcher.h"
#include "task_object/runtime_object.h"

namespace engine_test {

namespace {

const auto kWaitLimit = std::chrono::seconds(20);

class TestRecord : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* object) override {
    Recorder& recorder = Recorder::Get();
    recorder.Add({object->name(), base::GetCurrentThreadName(), false});
    recorder.AddRunner(object->name(), base::MessageLoop::current()->task_runner());
    for (const std::string& param : object->in_params()) {
      if (param.rfind("set:", 0) == 0) {
        size_t eq = param.find('=');
        SetupContext::SetStringValue(param.substr(4, eq - 4), param.substr(eq + 1));
      } else if (param.rfind("after:", 0) == 0) {
        if (!recorder.WaitFor(param.substr(6), true))
          recorder.set_timed_out();
      } else if (param == "gate") {
        if (!recorder.WaitForGate())
          recorder.set_timed_out();
      } else if (param.rfind("exited:", 0) == 0) {
        // No wait: the thread must be gone already.
        if (!recorder.LoopEnded(param.substr(7)))
          recorder.set_timed_out();
      } else if (param.rfind("started:", 0) == 0) {
        if (!recorder.WaitFor(param.substr(8), false))
          recorder.set_timed_out();
      }
    }
    recorder.Add({object->name(), base::GetCurrentThreadName(), true});
  }
};

class TestExit : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* object) override {
    Recorder::Get().Add({object->name(), base::GetCurrentThreadName(), true});
    setup::SetupThread::PostTask(setup::SetupThread::UI, FROM_HERE,
                                 [] { base::MessageLoop::current()->Quit(); });
  }
};

}  // namespace

}  // namespace engine_test

REGISTER_TASK_CLASS(engine_test::TestRecord, TestRecord)
REGISTER_TASK_CLASS(engine_test::TestExit, TestExit)

namespace engine_test {

Recorder& Recorder::Get() {
  static Recorder* recorder = new Recorder();
  return *recorder;
}

void Recorder::Reset() {
  std::lock_guard<std::mutex> hold(lock_);
  records_.clear();
  runners_.clear();
  gate_open_ = false;
  timed_out_ = false;
}

void Recorder::Add(const Record& record) {
  std::lock_guard<std::mutex> hold(lock_);
  records_.push_back(record);
  changed_.notify_all();
}

bool Recorder::WaitFor(const std::string& object, bool finished) {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kWaitLimit, [&] {
    for (const Record& record : records_) {
      if (record.object == object && record.finished == finished)
        return true;
    }
    return false;
  });
}

void Recorder::OpenGate() {
  std::lock_guard<std::mutex> hold(lock_);
  gate_open_ = true;
  changed_.notify_all();
}

bool Recorder::WaitForGate() {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kWaitLimit, [this] { return gate_open_; });
}

void Recorder::AddRunner(const std::string& object, base::TaskRunnerPtr runner) {
  std::lock_guard<std::mutex> hold(lock_);
  runners_[object] = std::move(runner);
}

bool Recorder::LoopEnded(const std::string& object) {
  base::TaskRunnerPtr runner;
  {
    std::lock_guard<std::mutex> hold(lock_);
    runner = runners_[object];
  }
  return runner && !runner->PostTask(FROM_HERE, [] {});
}

std::vector<Record> Recorder::records() {
  std::lock_guard<std::mutex> hold(lock_);
  return records_;
}

int Recorder::Count(const std::string& object, bool finished) {
  std::lock_guard<std::mutex> hold(lock_);
  int count = 0;
  for (const Record& record : records_)
    count += record.object == object && record.finished == finished;
  return count;
}

bool Recorder::timed_out() {
  std::lock_guard<std::mutex> hold(lock_);
  return timed_out_;
}

void Recorder::set_timed_out() {
  std::lock_guard<std::mutex> hold(lock_);
  timed_out_ = true;
}

void EngineTest::SetUp() {
  Recorder::Get().Reset();
  at_exit_ = std::make_unique<base::ShadowingAtExitManager>();
  main_loop_ = std::make_unique<setup::SetupMainLoop>(params_);
  main_loop_->EnsureMainMessageLoop();
  main_loop_->InitializeMainThread();
  main_loop_->CreateThreads();
}

void EngineTest::TearDown() {
  main_loop_->ShutdownThreads();
  main_loop_.reset();
  at_exit_.reset();
}

::testing::AssertionResult EngineTest::RunGraph(const std::string& document) {
  if (!task::TaskDispatcher::GetInstance()->Init2WithDocument(document))
    return ::testing::AssertionFailure() << "graph rejected";
  bool watchdog_fired = false;
  setup::SetupThread::PostToThread(
      setup::SetupThread::UI, FROM_HERE,
      [&watchdog_fired] {
        watchdog_fired = true;
        base::MessageLoop::current()->Quit();
      },
      std::chrono::seconds(30), true);
  main_loop_->RunMainMessageLoop();
  if (watchdog_fired)
    return ::testing::AssertionFailure() << "the graph did not reach its exit task";
  if (Recorder::Get().timed_out())
    return ::testing::AssertionFailure() << "a task waited in vain";
  return ::testing::AssertionSuccess();
}

}  // namespace engine_test
