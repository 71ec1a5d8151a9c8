// Raster32 stand-in: memory bitmaps as 32-bit top-down DIB sections (BGRA, pitch = width * 4),
// locked for direct pixel access. Canvas drawing operations join this header as they are needed.
#pragma once

#include <windows.h>
#include <stdint.h>

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

// ---- Canvas drawing (head-image masks and the like) ----
// A canvas draws into a memory bitmap with a current colour (0xAARRGGBB), draw style and
// smoothing. Textures are pixel snapshots a UI framework can wrap in image objects.

typedef struct R32Canvas R32Canvas;
typedef struct R32Texture R32Texture;

enum {
  R32_DRAW_STROKE = 1,  // one-pixel outline
  R32_DRAW_FILL = 2,
};

// A canvas with its own cleared bitmap; null for a non-positive size.
RASTER32_API R32Canvas* CreateMemCanvas(int width, int height);
RASTER32_API void DestroyCanvas(R32Canvas* canvas);
RASTER32_API R32Bitmap* GetCanvasBitmap(R32Canvas* canvas);
// The filter is kept with the canvas and copied into its textures (how they are sampled).
RASTER32_API BOOL SetCanvasFilter(R32Canvas* canvas, uint32_t filter);
RASTER32_API BOOL SetDrawStyle(R32Canvas* canvas, int style);
// Smoothing on blends edge pixels by their coverage.
RASTER32_API BOOL SetSmooth(R32Canvas* canvas, BOOL smooth);
RASTER32_API BOOL SetColor(R32Canvas* canvas, uint32_t argb);
RASTER32_API BOOL DrawCircle(R32Canvas* canvas, float center_x, float center_y, float radius);
// The canvas's own texture, kept up to date with its pixels; owned by the canvas.
RASTER32_API R32Texture* GetTexture(R32Canvas* canvas);
// A new texture with a copy of the canvas's pixels; free it with ReleaseTexture.
RASTER32_API R32Texture* CanvasToTexture(R32Canvas* canvas);
RASTER32_API void ReleaseTexture(R32Texture* texture);
// Pixels as 0xAARRGGBB words, rows top-down; valid while the texture lives.
RASTER32_API BOOL GetTexturePixels(R32Texture* texture,
                                   const uint32_t** pixels,
                                   int* width,
                                   int* height,
                                   uint32_t* filter);

#ifdef __cplusplus
}
#endif
