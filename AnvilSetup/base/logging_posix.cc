#include <fcntl.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/logging_platform.h"

namespace logging {
namespace internal {

unsigned long CurrentProcessId() {
  return static_cast<unsigned long>(getpid());
}

unsigned long CurrentThreadId() {
  return static_cast<unsigned long>(syscall(SYS_gettid));
}

unsigned long long TickCount() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<unsigned long long>(now.tv_sec) * 1000ull + now.tv_nsec / 1000000;
}

void LocalTimeNow(int* month, int* day, int* hour, int* minute, int* second) {
  time_t now = time(nullptr);
  tm local;
  localtime_r(&now, &local);
  *month = local.tm_mon + 1;
  *day = local.tm_mday;
  *hour = local.tm_hour;
  *minute = local.tm_min;
  *second = local.tm_sec;
}

void WriteToDebugger(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void AbortProcess() {
  std::abort();
}

namespace {

class PosixLogFile : public LogFile {
 public:
  PosixLogFile(int fd, bool lock) : fd_(fd), lock_(lock) {}
  ~PosixLogFile() override { close(fd_); }
  void Write(const std::string& line) override {
    if (lock_)
      flock(fd_, LOCK_EX);
    ssize_t written = ::write(fd_, line.data(), line.size());
    (void)written;
    if (lock_)
      flock(fd_, LOCK_UN);
  }

 private:
  int fd_;
  bool lock_;
};

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(const std::string& utf8_path,
                                     bool delete_old,
                                     bool lock_across_processes) {
  if (delete_old)
    unlink(utf8_path.c_str());
  int fd = open(utf8_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0)
    return nullptr;
  return std::make_unique<PosixLogFile>(fd, lock_across_processes);
}

}  // namespace internal
}  // namespace logging
