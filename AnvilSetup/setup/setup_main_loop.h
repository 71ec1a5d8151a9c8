// The uninstaller's main loop object: owns the main thread's UI message loop, the UI
// thread object around it and the FILE and DISPATCH threads. One per process;
// g_current_setup_main_loop names the live one.
#pragma once

#include <cstdint>
#include <memory>

#include "base/command_line.h"
#include "base/message_loop.h"
#include "setup/setup_thread.h"

namespace setup {

struct SetupMainParams {
  base::CommandLine command_line;
};

class SetupMainLoop {
 public:
  explicit SetupMainLoop(const SetupMainParams& parameters);
  virtual ~SetupMainLoop();
  SetupMainLoop(const SetupMainLoop&) = delete;
  SetupMainLoop& operator=(const SetupMainLoop&) = delete;

  // Creates the main thread's UI loop when there is none yet.
  void EnsureMainMessageLoop();
  // Names the calling thread "Setup_Main" and registers it as UI.
  void InitializeMainThread();
  // Starts FILE and DISPATCH unless the result code is already above 0.
  void CreateThreads();
  // Runs the main loop until a task quits it.
  void RunMainMessageLoop();
  // DISPATCH, then FILE, then the blocking pool.
  void ShutdownThreads();

  int32_t result_code() const { return result_code_; }
  const base::CommandLine& command_line() const { return command_line_; }
  const SetupMainParams& parameters() const { return parameters_; }
  base::MessageLoop* main_message_loop() const { return main_message_loop_.get(); }

 private:
  const SetupMainParams& parameters_;
  const base::CommandLine& command_line_;
  int32_t result_code_ = 0;
  std::unique_ptr<base::MessageLoop> main_message_loop_;
  std::unique_ptr<SetupThreadImpl> main_thread_;
};

}  // namespace setup

extern setup::SetupMainLoop* g_current_setup_main_loop;
