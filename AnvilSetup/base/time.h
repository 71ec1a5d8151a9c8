// Time types of the message-loop facility: spans in microseconds, a monotonic clock.
#pragma once

#include <chrono>

namespace base {

using TimeDelta = std::chrono::microseconds;
using TimeTicks = std::chrono::steady_clock::time_point;

inline TimeTicks Now() {
  return std::chrono::steady_clock::now();
}

}  // namespace base
