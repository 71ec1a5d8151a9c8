// Maps a command name (whole, case-sensitive) to a new runner.
#pragma once

#include <memory>
#include <string>

#include "runner/runner.h"

namespace docwick {

// Empty when no runner serves `command`.
std::shared_ptr<IRunner> RunnerFactory(const std::wstring& command);

}  // namespace docwick
