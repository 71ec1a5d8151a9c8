// Stopping and deleting the protection component's core service WardenCore.
#pragma once

#include <windows.h>

namespace setup_util {

const DWORD kWardenCoreStopLimitMs = 60000;

// Stops WardenCore (polling every 100 ms for at most `stop_limit_ms`) and deletes it whether
// or not it stopped: the system removes a service marked for deletion once it ends. Every
// step is logged. True when the service was deleted.
bool StopAndDeleteWardenCoreService(DWORD stop_limit_ms = kWardenCoreStopLimitMs);

}  // namespace setup_util
