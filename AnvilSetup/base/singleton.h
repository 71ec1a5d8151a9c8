// A lazily created process-wide instance. The first caller creates it and registers its
// destruction with the at-exit manager; a caller that loses the creation race waits for
// the winner's instance. After the at-exit manager destroyed it, the next get() makes a
// fresh one (tests rely on that with a shadowing manager).
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "base/at_exit.h"

namespace base {

template <typename T>
class Singleton {
 public:
  static T* get() {
    uintptr_t value = state_.load(std::memory_order_acquire);
    if (value > kBeingCreated)
      return reinterpret_cast<T*>(value);
    uintptr_t expected = 0;
    if (state_.compare_exchange_strong(expected, kBeingCreated, std::memory_order_acq_rel)) {
      T* instance = new T();
      state_.store(reinterpret_cast<uintptr_t>(instance), std::memory_order_release);
      AtExitManager::RegisterCallback(&Singleton::Destroy);
      return instance;
    }
    while ((value = state_.load(std::memory_order_acquire)) == kBeingCreated)
      std::this_thread::yield();
    return reinterpret_cast<T*>(value);
  }

  // Non-null only while an instance exists; never creates one.
  static T* GetIfExists() {
    uintptr_t value = state_.load(std::memory_order_acquire);
    return value > kBeingCreated ? reinterpret_cast<T*>(value) : nullptr;
  }

 private:
  static constexpr uintptr_t kBeingCreated = 1;

  static void Destroy() {
    uintptr_t value = state_.exchange(0, std::memory_order_acq_rel);
    if (value > kBeingCreated)
      delete reinterpret_cast<T*>(value);
  }

  static inline std::atomic<uintptr_t> state_{0};
};

}  // namespace base
