#include "uninstall_main_runner.h"

#include <cstdint>

#include "base/logging.h"
#include "base/scoped_com_initializer.h"
#include "setup/setup_context.h"
#include "task/task_dispatcher.h"

namespace {

class UninstallMainRunnerImpl : public setup::UninstallMainRunner {
 public:
  UninstallMainRunnerImpl() = default;
  // A failed Initialize still stops the threads it started.
  ~UninstallMainRunnerImpl() override {
    if (is_initialized_ && !is_shutdown_)
      Shutdown();
  }

  int Initialize(const setup::SetupMainParams& parameters) override {
    is_initialized_ = true;
    main_loop_ = std::make_unique<setup::SetupMainLoop>(parameters);
    main_loop_->EnsureMainMessageLoop();
    main_loop_->InitializeMainThread();
    com_.reset();
    com_ = std::make_unique<base::ScopedCOMInitializer>();
    main_loop_->CreateThreads();
    if (main_loop_->result_code() > 0)
      return main_loop_->result_code();
    created_threads_ = true;
    int32_t module = 0;
    bool result = SetupContext::GetIntValue("UninstallModuleHandle", &module);
    DCHECK(result);
    void* handle = reinterpret_cast<void*>(static_cast<intptr_t>(module));
    return task::TaskDispatcher::GetInstance()->Init2(handle) ? -1 : 1;
  }

  int Run() override {
    DCHECK(is_initialized_);
    DCHECK(!is_shutdown_);
    main_loop_->RunMainMessageLoop();
    return main_loop_->result_code();
  }

  void Shutdown() override {
    DCHECK(is_initialized_);
    DCHECK(!is_shutdown_);
    if (created_threads_)
      main_loop_->ShutdownThreads();
    com_.reset();
    main_loop_.reset();
    is_shutdown_ = true;
  }

 private:
  bool is_initialized_ = false;
  bool is_shutdown_ = false;
  bool created_threads_ = false;
  std::unique_ptr<setup::SetupMainLoop> main_loop_;
  std::unique_ptr<base::ScopedCOMInitializer> com_;
};

}  // namespace

namespace setup {

std::unique_ptr<UninstallMainRunner> UninstallMainRunner::Create() {
  return std::make_unique<UninstallMainRunnerImpl>();
}

}  // namespace setup
