// Asserts that an object is used on one thread. The checker binds to the first thread
// that asks, or again after DetachFromThread(). The check compiles away in release builds.
#pragma once

#include <mutex>
#include <thread>

namespace base {

class ThreadCheckerImpl {
 public:
  ThreadCheckerImpl() : owner_(std::this_thread::get_id()) {}
  bool CalledOnValidThread() const {
    std::lock_guard<std::mutex> hold(lock_);
    if (owner_ == std::thread::id())
      owner_ = std::this_thread::get_id();
    return owner_ == std::this_thread::get_id();
  }
  void DetachFromThread() {
    std::lock_guard<std::mutex> hold(lock_);
    owner_ = std::thread::id();
  }

 private:
  mutable std::mutex lock_;
  mutable std::thread::id owner_;
};

class ThreadCheckerDoNothing {
 public:
  bool CalledOnValidThread() const { return true; }
  void DetachFromThread() {}
};

#if defined(NDEBUG)
using ThreadChecker = ThreadCheckerDoNothing;
#else
using ThreadChecker = ThreadCheckerImpl;
#endif

}  // namespace base
