// DPI helpers: layout units are pixels at 96 DPI.
#include <math.h>

#include "canvas.h"
#include "lattice.h"

namespace {

thread_local int t_scale_ignore = 0;

LONG Scale(LONG v, float s) {
  return static_cast<LONG>(lroundf(v * s));
}

float ActiveScale() {
  return t_scale_ignore > 0 ? 1.0f : GetDPIScale();
}

}  // namespace

LATTICE_API float GetDPIScale() {
  static float scale = [] {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
      ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi / 96.0f : 1.0f;
  }();
  return scale;
}

LATTICE_API R32Canvas* CreateCanvas(int width, int height) {
  float s = ActiveScale();
  return CreateMemCanvas(Scale(width, s), Scale(height, s));
}

LATTICE_API void ScaleRECT(RECT* rect) {
  if (!rect)
    return;
  float s = ActiveScale();
  rect->left = Scale(rect->left, s);
  rect->top = Scale(rect->top, s);
  rect->right = Scale(rect->right, s);
  rect->bottom = Scale(rect->bottom, s);
}

LATTICE_API void ScaleSIZE(SIZE* size) {
  if (!size)
    return;
  float s = ActiveScale();
  size->cx = Scale(size->cx, s);
  size->cy = Scale(size->cy, s);
}

LATTICE_API void UnscaleSIZE(SIZE* size) {
  if (!size)
    return;
  float s = ActiveScale();
  size->cx = Scale(size->cx, 1.0f / s);
  size->cy = Scale(size->cy, 1.0f / s);
}

LATTICE_API LONG UnscaleLONG(LONG value) {
  return Scale(value, 1.0f / ActiveScale());
}

LATTICE_API LPARAM HandleMessageScale(UINT message, LPARAM lparam) {
  if (message < WM_MOUSEFIRST || message > WM_MOUSELAST)
    return lparam;
  LONG x = UnscaleLONG(static_cast<short>(LOWORD(lparam)));
  LONG y = UnscaleLONG(static_cast<short>(HIWORD(lparam)));
  return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

LATTICE_API BOOL IsScaleIgnore() {
  return t_scale_ignore > 0;
}

LATTICE_API void PushScaleIgnore() {
  ++t_scale_ignore;
}

LATTICE_API void PopScaleIgnore() {
  if (t_scale_ignore > 0)
    --t_scale_ignore;
}
