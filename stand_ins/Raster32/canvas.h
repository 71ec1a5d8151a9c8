// Raster32 canvas extras: drawing a texture into a rectangle of a canvas, and textures made
// from pixels. Pixels are premultiplied 0xAARRGGBB words (BGRA bytes), rows top-down.
#pragma once

#include "raster32.h"

#ifdef __cplusplus
extern "C" {
#endif

// Canvas filter bits. Smooth scaling: textures drawn into the canvas are sampled bilinearly
// (otherwise nearest pixel). Mask: the canvas's textures act as masks, so drawing one
// multiplies the destination by the mask's alpha instead of painting over it.
#define R32_FILTER_SMOOTH_SCALE 0x1000000u
#define R32_FILTER_MASK 0x2000000u

// Draws `texture` scaled into `dest` (canvas pixels, clipped to the canvas); a mask texture
// multiplies the destination by its alpha.
RASTER32_API BOOL DrawTexture(R32Canvas* canvas, R32Texture* texture, const RECT* dest);
// A new texture from `bits` (rows `pitch` bytes apart) with `filter`; free with
// ReleaseTexture. Null on bad arguments.
RASTER32_API R32Texture* CreateTextureFromPixels(int width,
                                                 int height,
                                                 const void* bits,
                                                 int pitch,
                                                 uint32_t filter);
// A new texture with a copy of `texture`'s pixels and filter.
RASTER32_API R32Texture* CopyTexture(R32Texture* texture);

#ifdef __cplusplus
}
#endif
