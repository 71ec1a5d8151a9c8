// Owns one COM interface reference and releases it when it goes out of scope.
#pragma once

namespace base {

template <typename T>
class ScopedComPtr {
 public:
  ScopedComPtr() = default;
  ~ScopedComPtr() {
    if (ptr_)
      ptr_->Release();
  }
  ScopedComPtr(const ScopedComPtr&) = delete;
  ScopedComPtr& operator=(const ScopedComPtr&) = delete;

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  // For out parameters of the interface's own type, and for void** ones.
  T** Receive() { return &ptr_; }
  void** ReceiveVoid() { return reinterpret_cast<void**>(&ptr_); }

 private:
  T* ptr_ = nullptr;
};

}  // namespace base
