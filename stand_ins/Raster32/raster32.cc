#include "raster32.h"

#include <new>

struct R32Bitmap {
  HBITMAP dib = nullptr;
  void* bits = nullptr;
  int width = 0;
  int height = 0;
  bool locked = false;
};

extern "C" {

R32Bitmap* CreateMemBitmap(int width, int height) {
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
    return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib || !bits) {
    if (dib)
      DeleteObject(dib);
    return nullptr;
  }
  R32Bitmap* bitmap = new (std::nothrow) R32Bitmap;
  if (!bitmap) {
    DeleteObject(dib);
    return nullptr;
  }
  bitmap->dib = dib;
  bitmap->bits = bits;
  bitmap->width = width;
  bitmap->height = height;
  return bitmap;
}

BOOL LockBitmapBits(R32Bitmap* bitmap, void** bits, int* pitch) {
  if (!bitmap || bitmap->locked || !bits || !pitch)
    return FALSE;
  GdiFlush();
  bitmap->locked = true;
  *bits = bitmap->bits;
  *pitch = bitmap->width * 4;
  return TRUE;
}

BOOL UnlockBitmapBits(R32Bitmap* bitmap) {
  if (!bitmap || !bitmap->locked)
    return FALSE;
  bitmap->locked = false;
  return TRUE;
}

void DeleteBitmap(R32Bitmap* bitmap) {
  if (!bitmap)
    return;
  DeleteObject(bitmap->dib);
  delete bitmap;
}

BOOL GetMemBitmapSize(R32Bitmap* bitmap, int* width, int* height) {
  if (!bitmap || !width || !height)
    return FALSE;
  *width = bitmap->width;
  *height = bitmap->height;
  return TRUE;
}

HBITMAP GetMemBitmapHandle(R32Bitmap* bitmap) {
  return bitmap ? bitmap->dib : nullptr;
}

}  // extern "C"
