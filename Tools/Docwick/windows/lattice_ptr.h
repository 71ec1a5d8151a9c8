// Owners for the UI framework's reference-counted objects and the drawing library's canvases
// and textures.
#pragma once

#include "canvas.h"
#include "lattice.h"
#include "runner/scoped_com.h"

namespace docwick {

// The framework's objects are COM-style: the one COM owner serves them.
template <typename T>
using CLatticePtr = CScopedComPtr<T>;

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
