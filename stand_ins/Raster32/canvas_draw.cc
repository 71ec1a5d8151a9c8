// Texture drawing and textures from pixels, built on the canvas and bitmap calls.
#include <string.h>

#include <algorithm>
#include <cmath>

#include "canvas.h"

namespace {

// Bilinear or nearest sample of premultiplied pixels at source coordinates (u, v).
void Sample(const uint32_t* src, int w, int h, float u, float v, bool smooth, float out[4]) {
  auto channel = [&](int x, int y, int c) {
    return static_cast<float>((src[static_cast<size_t>(y) * w + x] >> (8 * c)) & 0xFF);
  };
  if (!smooth) {
    int x = std::min(w - 1, std::max(0, static_cast<int>(std::floor(u + 0.5f))));
    int y = std::min(h - 1, std::max(0, static_cast<int>(std::floor(v + 0.5f))));
    for (int c = 0; c < 4; ++c)
      out[c] = channel(x, y, c);
    return;
  }
  u = std::min(static_cast<float>(w - 1), std::max(0.0f, u));
  v = std::min(static_cast<float>(h - 1), std::max(0.0f, v));
  int x0 = static_cast<int>(u), y0 = static_cast<int>(v);
  int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
  float fx = u - x0, fy = v - y0;
  for (int c = 0; c < 4; ++c) {
    float top = channel(x0, y0, c) * (1 - fx) + channel(x1, y0, c) * fx;
    float bottom = channel(x0, y1, c) * (1 - fx) + channel(x1, y1, c) * fx;
    out[c] = top * (1 - fy) + bottom * fy;
  }
}

uint8_t Clamp(float v) {
  return static_cast<uint8_t>(std::min(255.0f, std::max(0.0f, v + 0.5f)));
}

}  // namespace

extern "C" {

BOOL DrawTexture(R32Canvas* canvas, R32Texture* texture, const RECT* dest) {
  const uint32_t* src = nullptr;
  int sw = 0, sh = 0;
  uint32_t texture_filter = 0;
  if (!canvas || !dest || !GetTexturePixels(texture, &src, &sw, &sh, &texture_filter) || sw <= 0 ||
      sh <= 0)
    return FALSE;
  LONG dw = dest->right - dest->left, dh = dest->bottom - dest->top;
  R32Bitmap* bitmap = GetCanvasBitmap(canvas);
  int cw = 0, ch = 0;
  if (dw <= 0 || dh <= 0 || !GetMemBitmapSize(bitmap, &cw, &ch))
    return FALSE;
  // There is no filter getter; a snapshot of the canvas carries its filter.
  R32Texture* probe = CanvasToTexture(canvas);
  uint32_t canvas_filter = 0;
  const uint32_t* unused = nullptr;
  int pw = 0, ph = 0;
  GetTexturePixels(probe, &unused, &pw, &ph, &canvas_filter);
  ReleaseTexture(probe);
  bool smooth = (canvas_filter & R32_FILTER_SMOOTH_SCALE) != 0;
  bool mask = (texture_filter & R32_FILTER_MASK) != 0;

  void* bits = nullptr;
  int pitch = 0;
  if (!LockBitmapBits(bitmap, &bits, &pitch))
    return FALSE;
  float sx = static_cast<float>(sw) / dw, sy = static_cast<float>(sh) / dh;
  LONG x0 = std::max(0L, dest->left), y0 = std::max(0L, dest->top);
  LONG x1 = std::min(static_cast<LONG>(cw), dest->right);
  LONG y1 = std::min(static_cast<LONG>(ch), dest->bottom);
  for (LONG y = y0; y < y1; ++y) {
    uint8_t* line = static_cast<uint8_t*>(bits) + static_cast<size_t>(y) * pitch;
    for (LONG x = x0; x < x1; ++x) {
      float s[4];
      Sample(src, sw, sh, (x - dest->left + 0.5f) * sx - 0.5f, (y - dest->top + 0.5f) * sy - 0.5f,
             smooth, s);
      uint8_t* d = line + x * 4;
      if (mask) {
        float keep = s[3] / 255.0f;
        for (int c = 0; c < 4; ++c)
          d[c] = Clamp(d[c] * keep);
      } else {
        float rest = 1.0f - s[3] / 255.0f;
        for (int c = 0; c < 4; ++c)
          d[c] = Clamp(s[c] + d[c] * rest);
      }
    }
  }
  UnlockBitmapBits(bitmap);
  return TRUE;
}

R32Texture* CreateTextureFromPixels(int width,
                                    int height,
                                    const void* pixels,
                                    int pitch,
                                    uint32_t filter) {
  if (!pixels || width <= 0 || pitch < width * 4)
    return nullptr;
  R32Canvas* canvas = CreateMemCanvas(width, height);
  R32Bitmap* bitmap = GetCanvasBitmap(canvas);
  void* bits = nullptr;
  int canvas_pitch = 0;
  R32Texture* texture = nullptr;
  if (bitmap && LockBitmapBits(bitmap, &bits, &canvas_pitch)) {
    for (int y = 0; y < height; ++y) {
      memcpy(static_cast<uint8_t*>(bits) + static_cast<size_t>(y) * canvas_pitch,
             static_cast<const uint8_t*>(pixels) + static_cast<size_t>(y) * pitch,
             static_cast<size_t>(width) * 4);
    }
    UnlockBitmapBits(bitmap);
    SetCanvasFilter(canvas, filter);
    texture = CanvasToTexture(canvas);
  }
  DestroyCanvas(canvas);
  return texture;
}

R32Texture* CopyTexture(R32Texture* texture) {
  const uint32_t* pixels = nullptr;
  int w = 0, h = 0;
  uint32_t filter = 0;
  if (!GetTexturePixels(texture, &pixels, &w, &h, &filter))
    return nullptr;
  return CreateTextureFromPixels(w, h, pixels, w * 4, filter);
}

}  // extern "C"
