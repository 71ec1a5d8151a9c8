// Raster32 canvas: drawing into a memory bitmap and textures taken from it. Pixels are
// premultiplied BGRA (ready for AlphaBlend), top-down, pitch = width * 4. Textures are
// reference-counted and immutable once made, except the live texture of GetTexture.
#pragma once

#include "raster32.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct R32Canvas R32Canvas;
typedef struct R32Texture R32Texture;

// Canvas filter bits. Smooth scaling: textures drawn into the canvas are sampled bilinearly
// (otherwise nearest pixel). Mask: the canvas's textures act as masks, so drawing one
// multiplies the destination by the mask's alpha instead of painting over it.
#define R32_FILTER_SMOOTH_SCALE 0x1000000
#define R32_FILTER_MASK 0x2000000

// Draw styles: outline, filled area, or both.
#define R32_STYLE_STROKE 1
#define R32_STYLE_FILL 2

// A transparent canvas; null when a side is not positive or too large.
RASTER32_API R32Canvas* CreateRasterCanvas(int width, int height);
RASTER32_API void DeleteRasterCanvas(R32Canvas* canvas);
RASTER32_API BOOL GetCanvasSize(R32Canvas* canvas, int* width, int* height);

RASTER32_API BOOL SetCanvasFilter(R32Canvas* canvas, DWORD filter);
RASTER32_API BOOL SetDrawStyle(R32Canvas* canvas, int style);
// Anti-aliased edges when on.
RASTER32_API BOOL SetSmooth(R32Canvas* canvas, BOOL smooth);
// Straight (not premultiplied) 0xAARRGGBB.
RASTER32_API BOOL SetColor(R32Canvas* canvas, DWORD argb);
// A circle around (cx, cy) in pixel coordinates (pixel centres at +0.5), in the draw style.
RASTER32_API BOOL DrawCircle(R32Canvas* canvas, float cx, float cy, float radius);
// Draws `texture` scaled into `dest` (canvas pixels); a mask texture multiplies instead.
RASTER32_API BOOL DrawTexture(R32Canvas* canvas, R32Texture* texture, const RECT* dest);

// A new reference to the canvas's own texture: later drawing shows up in it.
RASTER32_API R32Texture* GetTexture(R32Canvas* canvas);
// A new texture holding a copy of the canvas as it is now.
RASTER32_API R32Texture* CanvasToTexture(R32Canvas* canvas);

// A texture from premultiplied BGRA rows; null on bad arguments.
RASTER32_API R32Texture* CreateTextureFromPixels(int width,
                                                 int height,
                                                 const void* bits,
                                                 int pitch);
RASTER32_API void AddRefTexture(R32Texture* texture);
RASTER32_API void ReleaseTexture(R32Texture* texture);
// The texture's pixels; owned by the texture (lock it to read, draw it with GDI).
RASTER32_API R32Bitmap* GetTextureBitmap(R32Texture* texture);
RASTER32_API BOOL IsMaskTexture(R32Texture* texture);

#ifdef __cplusplus
}
#endif
