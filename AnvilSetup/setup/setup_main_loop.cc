#include "setup/setup_main_loop.h"

#include "base/logging.h"

setup::SetupMainLoop* g_current_setup_main_loop = nullptr;

namespace setup {

SetupMainLoop::SetupMainLoop(const SetupMainParams& parameters)
    : parameters_(parameters), command_line_(parameters.command_line) {
  DCHECK(!g_current_setup_main_loop);
  g_current_setup_main_loop = this;
}

// The UI thread object goes first, then the loop it wraps.
SetupMainLoop::~SetupMainLoop() {
  main_thread_.reset();
  main_message_loop_.reset();
  g_current_setup_main_loop = nullptr;
}

void SetupMainLoop::EnsureMainMessageLoop() {
  if (!main_message_loop_)
    main_message_loop_ = std::make_unique<base::MessageLoop>(base::MessageLoop::Type::kUI);
}

void SetupMainLoop::InitializeMainThread() {
  main_thread_ = setup::InitializeMainThread(main_message_loop_.get());
}

void SetupMainLoop::CreateThreads() {
  if (result_code_ > 0)
    return;
  CreateSetupThreads();
}

void SetupMainLoop::RunMainMessageLoop() {
  main_message_loop_->Run();
}

void SetupMainLoop::ShutdownThreads() {
  ShutdownSetupThreads();
}

}  // namespace setup
