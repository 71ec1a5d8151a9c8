// Raster32 stand-in: memory bitmaps as 32-bit top-down DIB sections (BGRA, pitch = width * 4),
// locked for direct pixel access. Canvas drawing operations join this header as they are needed.
#pragma once

#include <windows.h>

#ifdef RASTER32_BUILD
#define RASTER32_API __declspec(dllexport)
#else
#define RASTER32_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct R32Bitmap R32Bitmap;

// Null when a side is not positive or the system refuses the size.
RASTER32_API R32Bitmap* CreateMemBitmap(int width, int height);
// Locks the whole area. FALSE for a null bitmap or one that is already locked.
RASTER32_API BOOL LockBitmapBits(R32Bitmap* bitmap, void** bits, int* pitch);
RASTER32_API BOOL UnlockBitmapBits(R32Bitmap* bitmap);
RASTER32_API void DeleteBitmap(R32Bitmap* bitmap);
RASTER32_API BOOL GetMemBitmapSize(R32Bitmap* bitmap, int* width, int* height);
// The DIB section itself, for GDI drawing by the caller; owned by the bitmap.
RASTER32_API HBITMAP GetMemBitmapHandle(R32Bitmap* bitmap);

#ifdef __cplusplus
}
#endif
