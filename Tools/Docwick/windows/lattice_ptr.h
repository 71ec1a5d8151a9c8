// Owners for the UI framework's reference-counted objects and the drawing library's canvases
// and textures.
#pragma once

#include "canvas.h"
#include "lattice.h"

namespace docwick {

template <typename T>
class CLatticePtr {
 public:
  CLatticePtr() = default;
  ~CLatticePtr() { Reset(); }
  CLatticePtr(const CLatticePtr&) = delete;
  CLatticePtr& operator=(const CLatticePtr&) = delete;

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
  void Reset() {
    if (m_ptr)
      m_ptr->Release();
    m_ptr = nullptr;
  }

 private:
  T* m_ptr = nullptr;
};

class CScopedCanvas {
 public:
  explicit CScopedCanvas(R32Canvas* canvas) : m_canvas(canvas) {}
  ~CScopedCanvas() { DestroyCanvas(m_canvas); }
  CScopedCanvas(const CScopedCanvas&) = delete;
  CScopedCanvas& operator=(const CScopedCanvas&) = delete;
  R32Canvas* get() const { return m_canvas; }

 private:
  R32Canvas* m_canvas;
};

class CScopedTexture {
 public:
  explicit CScopedTexture(R32Texture* texture) : m_texture(texture) {}
  ~CScopedTexture() { ReleaseTexture(m_texture); }
  CScopedTexture(const CScopedTexture&) = delete;
  CScopedTexture& operator=(const CScopedTexture&) = delete;
  R32Texture* get() const { return m_texture; }

 private:
  R32Texture* m_texture;
};

}  // namespace docwick
