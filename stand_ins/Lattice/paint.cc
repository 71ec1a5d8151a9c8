#include "paint.h"

#include <string.h>

#include "canvas.h"
#include "element.h"

namespace lattice {

namespace {

// A memory DC with a bitmap selected for the lifetime of the object.
class SelectedBitmap {
 public:
  SelectedBitmap(HDC like, HBITMAP bitmap) : dc_(CreateCompatibleDC(like)) {
    if (dc_)
      old_ = SelectObject(dc_, bitmap);
  }
  ~SelectedBitmap() {
    if (dc_) {
      SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

void PaintImage(HDC dc, ILatticeImage* image, const RECT& r) {
  const uint32_t* pixels = nullptr;
  int w = 0, h = 0;
  if (!image || !GetTexturePixels(image->GetTexture(), &pixels, &w, &h, nullptr))
    return;
  R32Bitmap* bitmap = CreateMemBitmap(w, h);
  void* bits = nullptr;
  int pitch = 0;
  if (bitmap && LockBitmapBits(bitmap, &bits, &pitch)) {
    for (int y = 0; y < h; ++y)
      memcpy(static_cast<BYTE*>(bits) + y * pitch, pixels + y * w, w * 4);
    UnlockBitmapBits(bitmap);
    SelectedBitmap source(dc, GetMemBitmapHandle(bitmap));
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (source.dc()) {
      AlphaBlend(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source.dc(), 0, 0, w, h,
                 blend);
    }
  }
  DeleteBitmap(bitmap);
}

void PaintText(HDC dc, ElementCore* e, RECT r) {
  HGDIOBJ old = SelectObject(dc, GetFont(e->style.font));
  SetTextColor(dc, e->style.color);
  SetBkMode(dc, TRANSPARENT);
  UINT format = DT_NOPREFIX | DT_END_ELLIPSIS;
  format |= e->style.vcenter ? (DT_SINGLELINE | DT_VCENTER) : DT_WORDBREAK;
  DrawTextW(dc, e->text.c_str(), static_cast<int>(e->text.size()), &r, format);
  SelectObject(dc, old);
}

}  // namespace

void PaintElements(HDC dc, ElementCore* parent, POINT origin) {
  for (ILatticeElement* child_element : parent->children) {
    ElementCore* child = CoreOf(child_element);
    if (child->hwnd)
      continue;
    RECT r = child->area;
    OffsetRect(&r, origin.x, origin.y);
    if (child->style.has_background) {
      HBRUSH brush = CreateSolidBrush(child->style.background);
      if (brush) {
        FillRect(dc, &r, brush);
        DeleteObject(brush);
      }
    }
    if (child->kind == Kind::kImage)
      PaintImage(dc, child->image, r);
    else if (child->kind == Kind::kText)
      PaintText(dc, child, r);
    PaintElements(dc, child, origin);
  }
}

}  // namespace lattice
