// Starting test peers and the deliverables from a test, and reading their exit codes.
#pragma once

#include <windows.h>

#include <string>

namespace tern_test {

struct ProcessResult {
  bool started = false;
  bool timed_out = false;  // the process was terminated after the wait limit
  DWORD exit_code = 0;
};

// Quotes one argument so CommandLineToArgvW gives it back unchanged.
std::wstring QuoteArg(const std::wstring& arg);

// Runs `exe` with `args` (already a command-line tail) and waits up to `timeout_ms`.
ProcessResult RunProcess(const std::wstring& exe,
                         const std::wstring& args,
                         DWORD timeout_ms = 30000);

// A started process that is terminated when the object goes away.
class ScopedProcess {
 public:
  ScopedProcess() = default;
  ~ScopedProcess();
  ScopedProcess(const ScopedProcess&) = delete;
  ScopedProcess& operator=(const ScopedProcess&) = delete;

  bool Start(const std::wstring& exe, const std::wstring& args);
  // Waits for the exit; false on time-out.
  bool Wait(DWORD timeout_ms, DWORD* exit_code);
  HANDLE handle() const { return process_; }
  DWORD pid() const { return pid_; }

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Folder of the running test program, without a trailing separator.
std::wstring ExeDir();

// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace tern_test
