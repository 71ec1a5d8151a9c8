// Owners of Windows kernel handles and registry keys: closed exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace base {

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) { Reset(handle); }
  ~ScopedHandle() { Reset(nullptr); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  // Both null and INVALID_HANDLE_VALUE count as no handle.
  bool IsValid() const { return handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  void Reset(HANDLE handle) {
    if (handle_)
      CloseHandle(handle_);
    handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
  }
  HANDLE Release() { return std::exchange(handle_, nullptr); }

 private:
  HANDLE handle_ = nullptr;
};

class ScopedHKEY {
 public:
  ScopedHKEY() = default;
  ~ScopedHKEY() { Reset(nullptr); }
  ScopedHKEY(const ScopedHKEY&) = delete;
  ScopedHKEY& operator=(const ScopedHKEY&) = delete;

  HKEY Get() const { return key_; }
  HKEY* Receive() {
    Reset(nullptr);
    return &key_;
  }
  void Reset(HKEY key) {
    if (key_)
      RegCloseKey(key_);
    key_ = key;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace base
