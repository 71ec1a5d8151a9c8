// The log: records are buffered in memory and written on FlushLog, when the buffer grows large,
// and when the library unloads.
#include "keystone.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "keystone_internal.h"

namespace {

CRITICAL_SECTION g_log_lock;
std::string* g_buffer = nullptr;

const char* LevelName(int level) {
  switch (level) {
    case KS_LOG_DEBUG:
      return "DEBUG";
    case KS_LOG_INFO:
      return "INFO";
    case KS_LOG_WARNING:
      return "WARNING";
    default:
      return "ERROR";
  }
}

std::wstring LogPath() {
  wchar_t exe[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
  std::wstring path(exe, n);
  size_t slash = path.find_last_of(L'\\');
  std::wstring dir = path.substr(0, slash);
  std::wstring name = path.substr(slash + 1);
  size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos)
    name.resize(dot);
  CreateDirectoryW((dir + L"\\log").c_str(), nullptr);
  return dir + L"\\log\\" + name + L".log";
}

void WriteOut() {
  if (!g_buffer || g_buffer->empty())
    return;
  HANDLE file = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, g_buffer->data(), static_cast<DWORD>(g_buffer->size()), &written, nullptr);
    CloseHandle(file);
  }
  g_buffer->clear();
}

std::string BaseName(const char* file) {
  if (!file)
    return std::string();
  const char* slash = strrchr(file, '/');
  const char* back = strrchr(file, '\\');
  if (back > slash)
    slash = back;
  return slash ? slash + 1 : file;
}

}  // namespace

namespace keystone {

void LogStartup() {
  InitializeCriticalSection(&g_log_lock);
  g_buffer = new std::string();
}

void LogShutdown() {
  EnterCriticalSection(&g_log_lock);
  WriteOut();
  delete g_buffer;
  g_buffer = nullptr;
  LeaveCriticalSection(&g_log_lock);
  DeleteCriticalSection(&g_log_lock);
}

}  // namespace keystone

KS_API void KSLog_DoKSLogVW(const char* file,
                            int line,
                            const char* function,
                            int level,
                            const wchar_t* category,
                            const wchar_t* format,
                            va_list args) {
  if (!format)
    return;
  va_list copy;
  va_copy(copy, args);
  int length = _vscwprintf(format, copy);
  va_end(copy);
  std::wstring message;
  if (length > 0) {
    message.assign(length + 1, L'\0');
    _vsnwprintf(&message[0], length + 1, format, args);
    message.resize(length);
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  char prefix[160];
  snprintf(prefix, sizeof(prefix), "[%lu:%lu:%02u%02u/%02u%02u%02u:%lu:%s:%s(%d)] ",
           GetCurrentProcessId(), GetCurrentThreadId(), now.wMonth, now.wDay, now.wHour,
           now.wMinute, now.wSecond, GetTickCount(), LevelName(level), BaseName(file).c_str(),
           line);
  std::string record = prefix;
  record += "[" + ks::ToUtf8(category ? category : L"") + "] ";
  record += function ? function : "";
  record += ": " + ks::ToUtf8(message) + "\n";
  EnterCriticalSection(&g_log_lock);
  if (g_buffer) {
    g_buffer->append(record);
    if (g_buffer->size() > 64 * 1024)
      WriteOut();
  }
  LeaveCriticalSection(&g_log_lock);
}

KS_API void FlushLog() {
  EnterCriticalSection(&g_log_lock);
  WriteOut();
  LeaveCriticalSection(&g_log_lock);
}
