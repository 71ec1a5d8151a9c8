#include "runner/runner_factory.h"

namespace docwick {

namespace {

struct RunnerEntry {
  const wchar_t* command;
  std::shared_ptr<IRunner> (*create)();
};

// Checked in this order; a runner class may serve several commands.
const RunnerEntry kRunners[] = {
    {nullptr, nullptr},
};

}  // namespace

std::shared_ptr<IRunner> RunnerFactory(const std::wstring& command) {
  for (const RunnerEntry& entry : kRunners) {
    if (entry.command && command == entry.command)
      return entry.create();
  }
  return nullptr;
}

}  // namespace docwick
