#include "raster32.h"

#include <gtest/gtest.h>

namespace {

TEST(MemBitmapTest, LockGivesZeroedPixelsWithPitchAndRefusesSecondLock) {
  R32Bitmap* bitmap = CreateMemBitmap(3, 2);
  ASSERT_NE(bitmap, nullptr);
  void* bits = nullptr;
  int pitch = 0;
  ASSERT_TRUE(LockBitmapBits(bitmap, &bits, &pitch));
  EXPECT_EQ(pitch, 12);
  const uint32_t* p = static_cast<const uint32_t*>(bits);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(p[i], 0u);
  void* again = nullptr;
  EXPECT_FALSE(LockBitmapBits(bitmap, &again, &pitch));
  EXPECT_TRUE(UnlockBitmapBits(bitmap));
  EXPECT_FALSE(UnlockBitmapBits(bitmap));
  int w = 0, h = 0;
  EXPECT_TRUE(GetMemBitmapSize(bitmap, &w, &h));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  DeleteBitmap(bitmap);
}

TEST(MemBitmapTest, BadSizesGiveNoBitmapAndNullIsRefused) {
  EXPECT_EQ(CreateMemBitmap(0, 5), nullptr);
  EXPECT_EQ(CreateMemBitmap(5, -1), nullptr);
  EXPECT_EQ(CreateMemBitmap(100000, 1), nullptr);
  void* bits = nullptr;
  int pitch = 0;
  EXPECT_FALSE(LockBitmapBits(nullptr, &bits, &pitch));
  EXPECT_FALSE(UnlockBitmapBits(nullptr));
  DeleteBitmap(nullptr);
}

TEST(CanvasTest, FilledSmoothCircleMakesARoundMask) {
  R32Canvas* canvas = CreateMemCanvas(20, 20);
  ASSERT_NE(canvas, nullptr);
  ASSERT_TRUE(SetCanvasFilter(canvas, 0x3000000));
  ASSERT_TRUE(SetDrawStyle(canvas, R32_DRAW_FILL));
  ASSERT_TRUE(SetSmooth(canvas, TRUE));
  ASSERT_TRUE(SetColor(canvas, 0xFFFFFFFFu));
  ASSERT_TRUE(DrawCircle(canvas, 10, 10, 10));
  R32Texture* texture = GetTexture(canvas);
  ASSERT_NE(texture, nullptr);
  const uint32_t* px = nullptr;
  int w = 0, h = 0;
  uint32_t filter = 0;
  ASSERT_TRUE(GetTexturePixels(texture, &px, &w, &h, &filter));
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 20);
  EXPECT_EQ(filter, 0x3000000u);
  EXPECT_EQ(px[10 * 20 + 10], 0xFFFFFFFFu);    // centre: fully covered
  EXPECT_EQ(px[0], 0u);                        // corner: outside the circle
  uint32_t edge_alpha = px[3 * 20 + 2] >> 24;  // on the rim: partly covered
  EXPECT_GT(edge_alpha, 0u);
  EXPECT_LT(edge_alpha, 255u);

  // A copied texture keeps its pixels after the canvas changes.
  R32Texture* copy = CanvasToTexture(canvas);
  ASSERT_NE(copy, nullptr);
  ASSERT_TRUE(SetColor(canvas, 0xFF000000u));
  ASSERT_TRUE(SetSmooth(canvas, FALSE));
  ASSERT_TRUE(DrawCircle(canvas, 10, 10, 3));
  const uint32_t* copied = nullptr;
  ASSERT_TRUE(GetTexturePixels(copy, &copied, &w, &h, nullptr));
  EXPECT_EQ(copied[10 * 20 + 10], 0xFFFFFFFFu);
  ASSERT_TRUE(GetTexturePixels(GetTexture(canvas), &px, &w, &h, nullptr));
  EXPECT_EQ(px[10 * 20 + 10], 0xFF000000u);
  ReleaseTexture(copy);
  ReleaseTexture(texture);  // the canvas's own: left to the canvas
  DestroyCanvas(canvas);
}

TEST(CanvasTest, StrokeDrawsOnlyTheRingAndBadArgumentsAreRefused) {
  R32Canvas* canvas = CreateMemCanvas(20, 20);
  ASSERT_NE(canvas, nullptr);
  ASSERT_TRUE(SetDrawStyle(canvas, R32_DRAW_STROKE));
  ASSERT_TRUE(SetColor(canvas, 0xFF0000FFu));
  ASSERT_TRUE(DrawCircle(canvas, 10, 10, 8));
  const uint32_t* px = nullptr;
  int w = 0, h = 0;
  ASSERT_TRUE(GetTexturePixels(GetTexture(canvas), &px, &w, &h, nullptr));
  EXPECT_EQ(px[10 * 20 + 10], 0u);
  EXPECT_EQ(px[10 * 20 + 2], 0xFF0000FFu);
  EXPECT_FALSE(SetDrawStyle(canvas, 7));
  EXPECT_FALSE(DrawCircle(canvas, 10, 10, 0));
  EXPECT_FALSE(DrawCircle(canvas, 10, 10, -1));
  EXPECT_FALSE(DrawCircle(nullptr, 1, 1, 1));
  // A circle far outside draws nothing and does not fail.
  EXPECT_TRUE(DrawCircle(canvas, -100, -100, 5));
  EXPECT_EQ(CreateMemCanvas(0, 1), nullptr);
  DestroyCanvas(canvas);
}

}  // namespace
