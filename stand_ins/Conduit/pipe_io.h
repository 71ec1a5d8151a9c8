// Overlapped pipe I/O: one thread may block in a read while another writes on the same handle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "wire/byte_codec.h"

namespace conduit {

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE h) : handle_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  void Reset(HANDLE h = nullptr) {
    if (handle_)
      CloseHandle(handle_);
    handle_ = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
  }
  HANDLE get() const { return handle_; }
  HANDLE Release() {
    HANDLE h = handle_;
    handle_ = nullptr;
    return h;
  }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HANDLE handle_ = nullptr;
};

bool WriteAll(HANDLE pipe, const void* data, size_t length);
// False on a broken pipe, an error, or when `stop` is signalled first.
bool ReadAll(HANDLE pipe, void* data, size_t length, HANDLE stop);
bool ReadFrame(HANDLE pipe, HANDLE stop, FrameHeader* header, std::vector<uint8_t>* payload);

}  // namespace conduit
