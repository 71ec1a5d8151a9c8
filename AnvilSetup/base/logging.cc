#include "base/logging.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "base/logging_platform.h"

namespace logging {

namespace {

struct VModuleEntry {
  std::string pattern;
  int level;
};

struct LogState {
  std::mutex lock;
  std::unique_ptr<internal::LogFile> file;
  bool to_debugger = true;
  bool items[4] = {true, true, true, true};
  std::vector<VModuleEntry> vmodule;
};

// Leaked on purpose: threads may log while the process ends.
LogState& State() {
  static LogState* state = new LogState();
  return *state;
}

std::atomic<int> g_min_level{kInfo};
std::atomic<int> g_verbosity{0};
std::atomic<bool> g_vmodule_set{false};
std::atomic<bool> g_dchecks_enabled{true};

bool MatchPattern(const char* pattern, const char* text) {
  if (*pattern == '\0')
    return *text == '\0';
  if (*pattern == '*')
    return MatchPattern(pattern + 1, text) || (*text && MatchPattern(pattern, text + 1));
  if (*text && (*pattern == '?' || *pattern == *text))
    return MatchPattern(pattern + 1, text + 1);
  return false;
}

const char* BaseName(const char* file) {
  const char* base = file;
  for (const char* p = file; *p; ++p) {
    if (*p == '/' || *p == '\\')
      base = p + 1;
  }
  return base;
}

}  // namespace

bool InitLogging(const LoggingSettings& settings) {
  LogState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  state.to_debugger = settings.to_debugger;
  g_dchecks_enabled = settings.enable_dchecks;
  state.file.reset();
  if (!settings.to_file)
    return true;
  state.file = internal::OpenLogFile(settings.log_file, settings.delete_old_file,
                                     settings.lock_across_processes);
  return state.file != nullptr;
}

void CloseLogFile() {
  LogState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  state.file.reset();
}

void SetLogItems(bool process_id, bool thread_id, bool timestamp, bool tickcount) {
  LogState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  state.items[0] = process_id;
  state.items[1] = thread_id;
  state.items[2] = timestamp;
  state.items[3] = tickcount;
}

void SetMinLogLevel(int level) {
  g_min_level = level;
}

void SetVerbosity(int level) {
  g_verbosity = level;
}

void SetVModule(const std::string& vmodule) {
  std::vector<VModuleEntry> entries;
  size_t start = 0;
  while (start <= vmodule.size()) {
    size_t end = vmodule.find(',', start);
    if (end == std::string::npos)
      end = vmodule.size();
    std::string piece = vmodule.substr(start, end - start);
    size_t eq = piece.rfind('=');
    if (eq != std::string::npos && eq > 0)
      entries.push_back({piece.substr(0, eq), std::atoi(piece.c_str() + eq + 1)});
    start = end + 1;
  }
  LogState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  state.vmodule = std::move(entries);
  g_vmodule_set = !state.vmodule.empty();
}

int GetVlogLevel(const char* file) {
  if (g_vmodule_set) {
    std::string module = BaseName(file);
    size_t dot = module.find('.');
    if (dot != std::string::npos)
      module.resize(dot);
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    for (const VModuleEntry& entry : state.vmodule) {
      if (MatchPattern(entry.pattern.c_str(), module.c_str()))
        return entry.level;
    }
  }
  return g_verbosity;
}

bool DchecksEnabled() {
  return g_dchecks_enabled;
}

void SetDchecksEnabled(bool enabled) {
  g_dchecks_enabled = enabled;
}

std::string SeverityName(int severity) {
  static const char* const kNames[] = {"INFO", "WARNING", "ERROR", "ERROR_REPORT", "FATAL"};
  if (severity < 0)
    return "VERBOSE" + std::to_string(-severity);
  if (severity <= kFatal)
    return kNames[severity];
  return "UNKNOWN";
}

std::string FormatLinePrefix(const LogPrefix& prefix, int severity, const char* file, int line) {
  std::string out = "[";
  char buffer[64];
  if (prefix.with_process_id) {
    std::snprintf(buffer, sizeof(buffer), "%lu:", prefix.process_id);
    out += buffer;
  }
  if (prefix.with_thread_id) {
    std::snprintf(buffer, sizeof(buffer), "%lu:", prefix.thread_id);
    out += buffer;
  }
  if (prefix.with_timestamp) {
    std::snprintf(buffer, sizeof(buffer), "%02d%02d/%02d%02d%02d:", prefix.month, prefix.day,
                  prefix.hour, prefix.minute, prefix.second);
    out += buffer;
  }
  if (prefix.with_tickcount) {
    std::snprintf(buffer, sizeof(buffer), "%llu:", prefix.tickcount);
    out += buffer;
  }
  out += SeverityName(severity);
  out += ':';
  out += BaseName(file);
  out += '(' + std::to_string(line) + ")] ";
  return out;
}

LogMessage::LogMessage(const char* file, int line, int severity)
    : file_(file), line_(line), severity_(severity) {}

LogMessage::~LogMessage() {
  if (severity_ >= 0 && severity_ < g_min_level && severity_ != kFatal)
    return;
  LogState& state = State();
  LogPrefix prefix;
  {
    std::lock_guard<std::mutex> hold(state.lock);
    prefix.with_process_id = state.items[0];
    prefix.with_thread_id = state.items[1];
    prefix.with_timestamp = state.items[2];
    prefix.with_tickcount = state.items[3];
  }
  prefix.process_id = internal::CurrentProcessId();
  prefix.thread_id = internal::CurrentThreadId();
  internal::LocalTimeNow(&prefix.month, &prefix.day, &prefix.hour, &prefix.minute, &prefix.second);
  prefix.tickcount = internal::TickCount();
  std::string text = FormatLinePrefix(prefix, severity_, file_, line_) + stream_.str() + "\n";
  {
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.to_debugger)
      internal::WriteToDebugger(text);
    if (state.file)
      state.file->Write(text);
  }
  if (severity_ == kFatal)
    internal::AbortProcess();
}

}  // namespace logging
