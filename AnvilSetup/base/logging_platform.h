// What the log needs from the platform (logging_win.cc, logging_posix.cc).
#pragma once

#include <memory>
#include <string>

namespace logging {
namespace internal {

unsigned long CurrentProcessId();
unsigned long CurrentThreadId();
unsigned long long TickCount();
void LocalTimeNow(int* month, int* day, int* hour, int* minute, int* second);
void WriteToDebugger(const std::string& line);
void AbortProcess();

// An append-only log file; Write() is atomic with respect to other processes that use
// the same file through this class when `lock_across_processes` is set.
class LogFile {
 public:
  virtual ~LogFile() = default;
  virtual void Write(const std::string& line) = 0;
};
std::unique_ptr<LogFile> OpenLogFile(const std::string& utf8_path,
                                     bool delete_old,
                                     bool lock_across_processes);

}  // namespace internal
}  // namespace logging
