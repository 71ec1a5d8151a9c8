// Canvas drawing over memory bitmaps, and textures made from canvases.
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "raster32.h"

struct R32Texture {
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  uint32_t filter = 0;
  bool owned_by_canvas = false;
};

struct R32Canvas {
  R32Bitmap* bitmap = nullptr;
  int width = 0;
  int height = 0;
  uint32_t filter = 0;
  int style = R32_DRAW_FILL;
  bool smooth = false;
  uint32_t color = 0xFF000000u;
  R32Texture texture;
};

namespace {

uint32_t Blend(uint32_t dst, uint32_t src, double coverage) {
  double a = ((src >> 24) & 0xFF) / 255.0 * coverage;
  if (a <= 0)
    return dst;
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    double s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= static_cast<uint32_t>(std::lround(s * a + d * (1 - a))) << shift;
  }
  double da = ((dst >> 24) & 0xFF) / 255.0;
  out |= static_cast<uint32_t>(std::lround((a + da * (1 - a)) * 255)) << 24;
  return out;
}

// Coverage of a pixel by the circle (fill) or by its one-pixel ring (stroke), sampled 4 x 4.
double Coverage(const R32Canvas* c, int px, int py, double cx, double cy, double r) {
  const int n = c->smooth ? 4 : 1;
  int inside = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      double x = px + (i + 0.5) / n - cx, y = py + (j + 0.5) / n - cy;
      double d = std::sqrt(x * x + y * y);
      bool hit = c->style == R32_DRAW_STROKE ? (d <= r && d >= r - 1.0) : d <= r;
      inside += hit;
    }
  }
  return static_cast<double>(inside) / (n * n);
}

bool Snapshot(R32Canvas* c, R32Texture* t) {
  void* bits = nullptr;
  int pitch = 0;
  if (!LockBitmapBits(c->bitmap, &bits, &pitch))
    return false;
  t->width = c->width;
  t->height = c->height;
  t->filter = c->filter;
  t->pixels.resize(static_cast<size_t>(c->width) * c->height);
  for (int row = 0; row < c->height; ++row)
    std::memcpy(&t->pixels[static_cast<size_t>(row) * c->width],
                static_cast<uint8_t*>(bits) + static_cast<size_t>(row) * pitch,
                static_cast<size_t>(c->width) * 4);
  UnlockBitmapBits(c->bitmap);
  return true;
}

}  // namespace

extern "C" {

R32Canvas* CreateMemCanvas(int width, int height) {
  R32Bitmap* bitmap = CreateMemBitmap(width, height);
  if (!bitmap)
    return nullptr;
  R32Canvas* canvas = new (std::nothrow) R32Canvas;
  if (!canvas) {
    DeleteBitmap(bitmap);
    return nullptr;
  }
  canvas->bitmap = bitmap;
  canvas->width = width;
  canvas->height = height;
  canvas->texture.owned_by_canvas = true;
  return canvas;
}

void DestroyCanvas(R32Canvas* canvas) {
  if (!canvas)
    return;
  DeleteBitmap(canvas->bitmap);
  delete canvas;
}

R32Bitmap* GetCanvasBitmap(R32Canvas* canvas) {
  return canvas ? canvas->bitmap : nullptr;
}

BOOL SetCanvasFilter(R32Canvas* canvas, uint32_t filter) {
  if (!canvas)
    return FALSE;
  canvas->filter = filter;
  return TRUE;
}

BOOL SetDrawStyle(R32Canvas* canvas, int style) {
  if (!canvas || (style != R32_DRAW_STROKE && style != R32_DRAW_FILL))
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

BOOL SetColor(R32Canvas* canvas, uint32_t argb) {
  if (!canvas)
    return FALSE;
  canvas->color = argb;
  return TRUE;
}

BOOL DrawCircle(R32Canvas* canvas, float center_x, float center_y, float radius) {
  if (!canvas || !(radius > 0) || !std::isfinite(center_x) || !std::isfinite(center_y) ||
      !std::isfinite(radius))
    return FALSE;
  void* bits = nullptr;
  int pitch = 0;
  if (!LockBitmapBits(canvas->bitmap, &bits, &pitch))
    return FALSE;
  int left = static_cast<int>(std::floor(center_x - radius)) - 1;
  int right = static_cast<int>(std::ceil(center_x + radius)) + 1;
  int top = static_cast<int>(std::floor(center_y - radius)) - 1;
  int bottom = static_cast<int>(std::ceil(center_y + radius)) + 1;
  if (left < 0)
    left = 0;
  if (top < 0)
    top = 0;
  if (right > canvas->width)
    right = canvas->width;
  if (bottom > canvas->height)
    bottom = canvas->height;
  for (int y = top; y < bottom; ++y) {
    uint32_t* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(bits) + y * pitch);
    for (int x = left; x < right; ++x) {
      double coverage = Coverage(canvas, x, y, center_x, center_y, radius);
      if (coverage > 0)
        line[x] = Blend(line[x], canvas->color, coverage);
    }
  }
  UnlockBitmapBits(canvas->bitmap);
  return TRUE;
}

R32Texture* GetTexture(R32Canvas* canvas) {
  if (!canvas || !Snapshot(canvas, &canvas->texture))
    return nullptr;
  return &canvas->texture;
}

R32Texture* CanvasToTexture(R32Canvas* canvas) {
  if (!canvas)
    return nullptr;
  R32Texture* texture = new (std::nothrow) R32Texture;
  if (texture && !Snapshot(canvas, texture)) {
    delete texture;
    texture = nullptr;
  }
  return texture;
}

void ReleaseTexture(R32Texture* texture) {
  // The canvas's own texture goes with its canvas.
  if (texture && !texture->owned_by_canvas)
    delete texture;
}

BOOL GetTexturePixels(R32Texture* texture,
                      const uint32_t** pixels,
                      int* width,
                      int* height,
                      uint32_t* filter) {
  if (!texture || !pixels || !width || !height)
    return FALSE;
  *pixels = texture->pixels.data();
  *width = texture->width;
  *height = texture->height;
  if (filter)
    *filter = texture->filter;
  return TRUE;
}

}  // extern "C"
