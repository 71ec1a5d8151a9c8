// Owners for COM pointers, VARIANTs and the COM library of the thread.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace docwick {

template <typename T>
class CScopedComPtr {
 public:
  CScopedComPtr() = default;
  ~CScopedComPtr() { Reset(); }
  CScopedComPtr(const CScopedComPtr&) = delete;
  CScopedComPtr& operator=(const CScopedComPtr&) = delete;

  T* get() const { return m_ptr; }
  T* operator->() const { return m_ptr; }
  explicit operator bool() const { return m_ptr != nullptr; }
  // For out-parameters: releases what is held first.
  T** Receive() {
    Reset();
    return &m_ptr;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  // Takes a new reference to `ptr`.
  void Assign(T* ptr) {
    if (ptr)
      ptr->AddRef();
    Reset();
    m_ptr = ptr;
  }
  T* Detach() {
    T* held = m_ptr;
    m_ptr = nullptr;
    return held;
  }
  void Swap(CScopedComPtr& other) {
    T* held = m_ptr;
    m_ptr = other.m_ptr;
    other.m_ptr = held;
  }
  void Reset() {
    if (m_ptr)
      m_ptr->Release();
    m_ptr = nullptr;
  }

 private:
  T* m_ptr = nullptr;
};

class CScopedVariant {
 public:
  CScopedVariant() { VariantInit(&m_value); }
  ~CScopedVariant() { VariantClear(&m_value); }
  CScopedVariant(const CScopedVariant&) = delete;
  CScopedVariant& operator=(const CScopedVariant&) = delete;

  VARIANT* get() { return &m_value; }
  // For out-parameters: clears what is held first.
  VARIANT* Receive() {
    VariantClear(&m_value);
    return &m_value;
  }

 private:
  VARIANT m_value;
};

// CoInitialize for the object's lifetime; CoUninitialize only when it succeeded.
class CScopedCoInitialize {
 public:
  CScopedCoInitialize() : m_hr(CoInitialize(nullptr)) {}
  ~CScopedCoInitialize() {
    if (SUCCEEDED(m_hr))
      CoUninitialize();
  }
  CScopedCoInitialize(const CScopedCoInitialize&) = delete;
  CScopedCoInitialize& operator=(const CScopedCoInitialize&) = delete;
  bool ok() const { return SUCCEEDED(m_hr); }

 private:
  HRESULT m_hr;
};

}  // namespace docwick
