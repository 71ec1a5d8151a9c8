#include "canvas.h"

#include <math.h>
#include <string.h>

#include <algorithm>
#include <new>

struct R32Texture {
  LONG refs = 1;
  R32Bitmap* bitmap = nullptr;
  DWORD filter = 0;
};

struct R32Canvas {
  R32Texture* texture = nullptr;
  DWORD filter = 0;
  int style = R32_STYLE_FILL;
  bool smooth = false;
  DWORD argb = 0xFF000000;
};

namespace {

// Locked pixel access for the lifetime of the object.
class PixelLock {
 public:
  explicit PixelLock(R32Bitmap* bitmap) : bitmap_(bitmap) {
    void* bits = nullptr;
    if (GetMemBitmapSize(bitmap, &width_, &height_) && LockBitmapBits(bitmap, &bits, &pitch_))
      bits_ = static_cast<BYTE*>(bits);
  }
  ~PixelLock() {
    if (bits_)
      UnlockBitmapBits(bitmap_);
  }
  PixelLock(const PixelLock&) = delete;
  PixelLock& operator=(const PixelLock&) = delete;

  bool ok() const { return bits_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  BYTE* at(int x, int y) const { return bits_ + y * pitch_ + x * 4; }

 private:
  R32Bitmap* bitmap_;
  BYTE* bits_ = nullptr;
  int pitch_ = 0;
  int width_ = 0;
  int height_ = 0;
};

R32Texture* NewTexture(int width, int height) {
  R32Bitmap* bitmap = CreateMemBitmap(width, height);
  if (!bitmap)
    return nullptr;
  R32Texture* texture = new (std::nothrow) R32Texture;
  if (!texture) {
    DeleteBitmap(bitmap);
    return nullptr;
  }
  texture->bitmap = bitmap;
  return texture;
}

// Source-over of a premultiplied colour scaled by `coverage` (0..1).
void BlendOver(BYTE* dst, const float src[4], float coverage) {
  float a = src[3] * coverage;
  for (int i = 0; i < 4; ++i) {
    float v = src[i] * coverage + dst[i] * (1.0f - a / 255.0f);
    dst[i] = static_cast<BYTE>(std::min(255.0f, std::max(0.0f, v + 0.5f)));
  }
}

void Premultiplied(DWORD argb, float out[4]) {
  float a = static_cast<float>((argb >> 24) & 0xFF);
  out[0] = (argb & 0xFF) * a / 255.0f;
  out[1] = ((argb >> 8) & 0xFF) * a / 255.0f;
  out[2] = ((argb >> 16) & 0xFF) * a / 255.0f;
  out[3] = a;
}

// Bilinear or nearest sample of premultiplied pixels at source coordinates (u, v).
void Sample(const PixelLock& src, float u, float v, bool smooth, float out[4]) {
  if (!smooth) {
    int x = std::min(src.width() - 1, std::max(0, static_cast<int>(floorf(u + 0.5f))));
    int y = std::min(src.height() - 1, std::max(0, static_cast<int>(floorf(v + 0.5f))));
    const BYTE* p = src.at(x, y);
    for (int i = 0; i < 4; ++i)
      out[i] = p[i];
    return;
  }
  u = std::min(static_cast<float>(src.width() - 1), std::max(0.0f, u));
  v = std::min(static_cast<float>(src.height() - 1), std::max(0.0f, v));
  int x0 = static_cast<int>(u), y0 = static_cast<int>(v);
  int x1 = std::min(x0 + 1, src.width() - 1), y1 = std::min(y0 + 1, src.height() - 1);
  float fx = u - x0, fy = v - y0;
  for (int i = 0; i < 4; ++i) {
    float top = src.at(x0, y0)[i] * (1 - fx) + src.at(x1, y0)[i] * fx;
    float bottom = src.at(x0, y1)[i] * (1 - fx) + src.at(x1, y1)[i] * fx;
    out[i] = top * (1 - fy) + bottom * fy;
  }
}

}  // namespace

extern "C" {

R32Canvas* CreateRasterCanvas(int width, int height) {
  R32Texture* texture = NewTexture(width, height);
  if (!texture)
    return nullptr;
  R32Canvas* canvas = new (std::nothrow) R32Canvas;
  if (!canvas) {
    ReleaseTexture(texture);
    return nullptr;
  }
  canvas->texture = texture;
  return canvas;
}

void DeleteRasterCanvas(R32Canvas* canvas) {
  if (!canvas)
    return;
  ReleaseTexture(canvas->texture);
  delete canvas;
}

BOOL GetCanvasSize(R32Canvas* canvas, int* width, int* height) {
  return canvas && GetMemBitmapSize(canvas->texture->bitmap, width, height);
}

BOOL SetCanvasFilter(R32Canvas* canvas, DWORD filter) {
  if (!canvas || (filter & ~static_cast<DWORD>(R32_FILTER_SMOOTH_SCALE | R32_FILTER_MASK)))
    return FALSE;
  canvas->filter = filter;
  canvas->texture->filter = filter;
  return TRUE;
}

BOOL SetDrawStyle(R32Canvas* canvas, int style) {
  if (!canvas || style < R32_STYLE_STROKE || style > (R32_STYLE_STROKE | R32_STYLE_FILL))
    return FALSE;
  canvas->style = style;
  return TRUE;
}

BOOL SetSmooth(R32Canvas* canvas, BOOL smooth) {
  if (!canvas)
    return FALSE;
  canvas->smooth = smooth != FALSE;
  return TRUE;
}

BOOL SetColor(R32Canvas* canvas, DWORD argb) {
  if (!canvas)
    return FALSE;
  canvas->argb = argb;
  return TRUE;
}

BOOL DrawCircle(R32Canvas* canvas, float cx, float cy, float radius) {
  if (!canvas || !(radius > 0.0f))
    return FALSE;
  PixelLock pixels(canvas->texture->bitmap);
  if (!pixels.ok())
    return FALSE;
  float colour[4];
  Premultiplied(canvas->argb, colour);
  for (int y = 0; y < pixels.height(); ++y) {
    for (int x = 0; x < pixels.width(); ++x) {
      float d = hypotf(x + 0.5f - cx, y + 0.5f - cy);
      float coverage = 0.0f;
      if (canvas->style & R32_STYLE_FILL) {
        coverage = canvas->smooth ? std::min(1.0f, std::max(0.0f, radius - d + 0.5f))
                                  : (d <= radius ? 1.0f : 0.0f);
      }
      if (canvas->style & R32_STYLE_STROKE) {
        // A line one pixel wide just inside the radius.
        float off = fabsf(d - (radius - 0.5f));
        float line = canvas->smooth ? std::max(0.0f, 1.0f - off) : (off < 0.5f ? 1.0f : 0.0f);
        coverage = std::max(coverage, line);
      }
      if (coverage > 0.0f)
        BlendOver(pixels.at(x, y), colour, coverage);
    }
  }
  return TRUE;
}

BOOL DrawTexture(R32Canvas* canvas, R32Texture* texture, const RECT* dest) {
  if (!canvas || !texture || !dest || texture == canvas->texture)
    return FALSE;
  int dw = dest->right - dest->left, dh = dest->bottom - dest->top;
  if (dw <= 0 || dh <= 0)
    return FALSE;
  PixelLock src(texture->bitmap);
  PixelLock dst(canvas->texture->bitmap);
  if (!src.ok() || !dst.ok())
    return FALSE;
  bool smooth = (canvas->filter & R32_FILTER_SMOOTH_SCALE) != 0;
  bool mask = (texture->filter & R32_FILTER_MASK) != 0;
  float sx = static_cast<float>(src.width()) / dw, sy = static_cast<float>(src.height()) / dh;
  int x0 = std::max(0, static_cast<int>(dest->left));
  int y0 = std::max(0, static_cast<int>(dest->top));
  int x1 = std::min(dst.width(), static_cast<int>(dest->right));
  int y1 = std::min(dst.height(), static_cast<int>(dest->bottom));
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      float s[4];
      Sample(src, (x - dest->left + 0.5f) * sx - 0.5f, (y - dest->top + 0.5f) * sy - 0.5f, smooth,
             s);
      BYTE* d = dst.at(x, y);
      if (mask) {
        float keep = s[3] / 255.0f;
        for (int i = 0; i < 4; ++i)
          d[i] = static_cast<BYTE>(d[i] * keep + 0.5f);
      } else {
        BlendOver(d, s, 1.0f);
      }
    }
  }
  return TRUE;
}

R32Texture* GetTexture(R32Canvas* canvas) {
  if (!canvas)
    return nullptr;
  AddRefTexture(canvas->texture);
  return canvas->texture;
}

R32Texture* CanvasToTexture(R32Canvas* canvas) {
  if (!canvas)
    return nullptr;
  PixelLock src(canvas->texture->bitmap);
  if (!src.ok())
    return nullptr;
  R32Texture* copy =
      CreateTextureFromPixels(src.width(), src.height(), src.at(0, 0), src.width() * 4);
  if (copy)
    copy->filter = canvas->filter;
  return copy;
}

R32Texture* CreateTextureFromPixels(int width, int height, const void* bits, int pitch) {
  if (!bits || pitch < width * 4)
    return nullptr;
  R32Texture* texture = NewTexture(width, height);
  if (!texture)
    return nullptr;
  PixelLock dst(texture->bitmap);
  if (!dst.ok()) {
    ReleaseTexture(texture);
    return nullptr;
  }
  for (int y = 0; y < height; ++y)
    memcpy(dst.at(0, y), static_cast<const BYTE*>(bits) + y * pitch, width * 4);
  return texture;
}

void AddRefTexture(R32Texture* texture) {
  if (texture)
    InterlockedIncrement(&texture->refs);
}

void ReleaseTexture(R32Texture* texture) {
  if (texture && InterlockedDecrement(&texture->refs) == 0) {
    DeleteBitmap(texture->bitmap);
    delete texture;
  }
}

R32Bitmap* GetTextureBitmap(R32Texture* texture) {
  return texture ? texture->bitmap : nullptr;
}

BOOL IsMaskTexture(R32Texture* texture) {
  return texture && (texture->filter & R32_FILTER_MASK) != 0;
}

}  // extern "C"
