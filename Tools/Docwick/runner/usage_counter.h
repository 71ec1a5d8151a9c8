// The per-user count of preview commands, kept in the registry.
#pragma once

#include <windows.h>

namespace docwick {

// Adds one to HKCU\Software\Corvane\Docwick\Report "0X8008BF1" (a missing or unreadable value
// counts as 0) and returns the new count; 0 when the key cannot be opened or the write fails.
DWORD IncrementUsageCounter();

}  // namespace docwick
