#include <windows.h>

#include <cstdlib>

#include "base/logging_platform.h"
#include "base/scoped_handle_win.h"
#include "base/utf_string_conversions.h"

namespace logging {
namespace internal {

unsigned long CurrentProcessId() {
  return GetCurrentProcessId();
}

unsigned long CurrentThreadId() {
  return GetCurrentThreadId();
}

unsigned long long TickCount() {
  return GetTickCount();
}

void LocalTimeNow(int* month, int* day, int* hour, int* minute, int* second) {
  SYSTEMTIME local;
  GetLocalTime(&local);
  *month = local.wMonth;
  *day = local.wDay;
  *hour = local.wHour;
  *minute = local.wMinute;
  *second = local.wSecond;
}

void WriteToDebugger(const std::string& line) {
  OutputDebugStringA(line.c_str());
}

void AbortProcess() {
  std::abort();
}

namespace {

// One mutex per log file path, shared by every process that writes that file.
std::wstring MutexNameFor(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'\\')
      c = L'/';
    else
      c = static_cast<wchar_t>(towlower(c));
  }
  return L"Local\\AnvilSetupLog_" + path;
}

class WinLogFile : public LogFile {
 public:
  WinLogFile(base::ScopedHandle file, base::ScopedHandle mutex)
      : file_(std::move(file)), mutex_(std::move(mutex)) {}

  void Write(const std::string& line) override {
    bool locked = false;
    if (mutex_.IsValid()) {
      DWORD wait = WaitForSingleObject(mutex_.Get(), INFINITE);
      locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    DWORD written = 0;
    SetFilePointer(file_.Get(), 0, nullptr, FILE_END);
    WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if (locked)
      ReleaseMutex(mutex_.Get());
  }

 private:
  base::ScopedHandle file_;
  base::ScopedHandle mutex_;
};

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(const std::string& utf8_path,
                                     bool delete_old,
                                     bool lock_across_processes) {
  std::wstring path = base::UTF8ToWide(utf8_path);
  if (delete_old)
    DeleteFileW(path.c_str());
  base::ScopedHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid())
    return nullptr;
  base::ScopedHandle mutex;
  if (lock_across_processes)
    mutex.Reset(CreateMutexW(nullptr, FALSE, MutexNameFor(path).c_str()));
  return std::make_unique<WinLogFile>(std::move(file), std::move(mutex));
}

}  // namespace internal
}  // namespace logging
