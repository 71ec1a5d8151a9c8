// The engine's log. A line is
//   [pid:tid:MMDD/HHMMSS:tick:SEVERITY:file.cc(line)] message
// with each prefix item switchable; lines go to a file (appended, serialised across
// processes) and/or the debugger output. VLOG(n) lines appear when the verbosity (the
// "v" switch, or a "vmodule" pattern for the source file) is at least n.
// DCHECK is debug-only: it compiles to nothing in release builds and is silent after
// InitLogging switched checks off.
#pragma once

#include <sstream>
#include <string>

namespace logging {

enum LogSeverity : int {
  kInfo = 0,
  kWarning = 1,
  kError = 2,
  kErrorReport = 3,
  kFatal = 4,
};
// Verbose messages carry severity -level.

struct LoggingSettings {
  std::string log_file;  // UTF-8 path
  bool to_file = false;
  bool to_debugger = true;
  bool delete_old_file = false;
  bool lock_across_processes = true;
  bool enable_dchecks = false;
};

bool InitLogging(const LoggingSettings& settings);
// Stops writing to the file (tests; the process's log stays open until exit otherwise).
void CloseLogFile();
void SetLogItems(bool process_id, bool thread_id, bool timestamp, bool tickcount);
void SetMinLogLevel(int level);

void SetVerbosity(int level);
// "pattern=level,pattern=level"; a pattern matches a source file's base name without
// extension, with '*' and '?' wildcards.
void SetVModule(const std::string& vmodule);
int GetVlogLevel(const char* file);

bool DchecksEnabled();
void SetDchecksEnabled(bool enabled);

struct LogPrefix {
  bool with_process_id = true;
  bool with_thread_id = true;
  bool with_timestamp = true;
  bool with_tickcount = true;
  unsigned long process_id = 0;
  unsigned long thread_id = 0;
  int month = 1, day = 1, hour = 0, minute = 0, second = 0;  // local time
  unsigned long long tickcount = 0;
};
std::string SeverityName(int severity);
// The whole line without the trailing line feed's message part: "[...] ".
std::string FormatLinePrefix(const LogPrefix& prefix, int severity, const char* file, int line);

class LogMessage {
 public:
  LogMessage(const char* file, int line, int severity);
  ~LogMessage();
  LogMessage(const LogMessage&) = delete;
  LogMessage& operator=(const LogMessage&) = delete;
  std::ostream& stream() { return stream_; }

 private:
  const char* file_;
  int line_;
  int severity_;
  std::ostringstream stream_;
};

// Swallows a stream expression in the untaken branch of a conditional log.
struct LogMessageVoidify {
  void operator&(std::ostream&) {}
};

#if defined(NDEBUG)
constexpr bool kDCheckIsOn = false;
#else
constexpr bool kDCheckIsOn = true;
#endif

}  // namespace logging

#define ANVIL_LOG_STREAM(severity) ::logging::LogMessage(__FILE__, __LINE__, severity).stream()
#define LOG_STREAM_INFO ANVIL_LOG_STREAM(::logging::kInfo)
#define LOG_STREAM_WARNING ANVIL_LOG_STREAM(::logging::kWarning)
#define LOG_STREAM_ERROR ANVIL_LOG_STREAM(::logging::kError)
#define LOG_STREAM_ERROR_REPORT ANVIL_LOG_STREAM(::logging::kErrorReport)
#define LOG_STREAM_FATAL ANVIL_LOG_STREAM(::logging::kFatal)
// Pasting keeps Windows' ERROR macro from expanding inside LOG(ERROR).
#define LOG(severity) LOG_STREAM_##severity

#define VLOG_IS_ON(level) ((level) <= ::logging::GetVlogLevel(__FILE__))
#define VLOG(level) \
  !VLOG_IS_ON(level) ? (void)0 : ::logging::LogMessageVoidify() & ANVIL_LOG_STREAM(-(level))

#define DCHECK(condition)                                                    \
  (!::logging::kDCheckIsOn || !::logging::DchecksEnabled() || (condition))   \
      ? (void)0                                                              \
      : ::logging::LogMessageVoidify() & ANVIL_LOG_STREAM(::logging::kFatal) \
                                             << "Check failed: " #condition ". "
