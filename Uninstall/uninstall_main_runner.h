// The uninstaller's main runner: Initialize (threads, COM, dispatcher start), Run (the
// main loop until the exit task quits it) and Shutdown, called in that order by the entry.
#pragma once

#include <memory>

#include "setup/setup_main_loop.h"

namespace setup {

class UninstallMainRunner {
 public:
  virtual ~UninstallMainRunner() = default;
  // Negative: go on and Run(); 0 or more: the exit code to return at once.
  virtual int Initialize(const SetupMainParams& parameters) = 0;
  virtual int Run() = 0;
  virtual void Shutdown() = 0;

  static std::unique_ptr<UninstallMainRunner> Create();
};

}  // namespace setup
