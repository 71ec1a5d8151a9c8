// Task classes and a fixture for engine tests.
//  "TestRecord": records its start and finish (object name, thread name) and works through
//   its In params in order: "set:K=V" sets a context string, "after:X" waits until X has
//   finished, "started:X" waits until X has started (bounded waits; a time-out is recorded),
//   "gate" waits until the test opens the gate, "exited:X" checks that the loop (thread) that ran X
//   has already ended.
//  "TestExit": posts the quit to the UI thread, like the uninstaller's exit task.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "base/task_runner.h"
#include "setup/setup_main_loop.h"

namespace engine_test {

struct Record {
  std::string object;
  std::string thread;
  bool finished;
};

class Recorder {
 public:
  static Recorder& Get();
  void Reset();
  void Add(const Record& record);
  // Waits (bounded) until `object` has a start (or finish) record.
  bool WaitFor(const std::string& object, bool finished);
  // "gate" params wait until the gate opens.
  void OpenGate();
  bool WaitForGate();
  // The loop that ran `object` is gone (its thread has ended).
  void AddRunner(const std::string& object, base::TaskRunnerPtr runner);
  bool LoopEnded(const std::string& object);
  std::vector<Record> records();
  int Count(const std::string& object, bool finished);
  bool timed_out();
  void set_timed_out();

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Record> records_;
  std::map<std::string, base::TaskRunnerPtr> runners_;
  bool timed_out_ = false;
  bool gate_open_ = false;
};

// Engine up as in the uninstaller: main UI loop, FILE and DISPATCH threads, with a fresh
// set of singletons per test.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Loads `document` and runs the main loop until TestExit quits it (or 30 s pass).
  ::testing::AssertionResult RunGraph(const std::string& document);

  std::unique_ptr<base::ShadowingAtExitManager> at_exit_;
  setup::SetupMainParams params_;
  std::unique_ptr<setup::SetupMainLoop> main_loop_;
};

}  // namespace engine_test
