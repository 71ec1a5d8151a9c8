#include "view_geometry.h"

#include <climits>

#include <gtest/gtest.h>

namespace ternapp {
namespace {

TEST(ClientResizeTest, MaximumWidthLimitsOnlyWhenPositiveAndSmaller) {
  const struct {
    int cur_w, cur_h, w, h, max_w;
    bool changed;
    int out_w, out_h;
  } cases[] = {
      {0, 0, 600, 300, 400, true, 400, 300},
      {0, 0, 300, 300, 400, true, 300, 300},
      {0, 0, 600, 300, -1, true, 600, 300},
      {0, 0, 600, 300, 0, true, 600, 300},
      {400, 300, 400, 300, 400, false, 0, 0},
      {600, 300, 600, 301, -1, true, 600, 301},
      // The current size was already limited: asking for the same wider size again rebuilds.
      {400, 300, 600, 300, 400, true, 400, 300},
  };
  for (const auto& c : cases) {
    ClientResize r = ComputeClientResize(c.cur_w, c.cur_h, c.w, c.h, c.max_w);
    EXPECT_EQ(r.changed, c.changed) << c.w << "x" << c.h;
    if (c.changed) {
      EXPECT_EQ(r.width, c.out_w);
      EXPECT_EQ(r.height, c.out_h);
    }
  }
}

TEST(EngineResizeTest, ScalesAndLimits) {
  EngineResize r = ComputeEngineResize(0, 0, 300, 100, 1.5, -1);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.width, 450);
  EXPECT_EQ(r.height, 150);
  EXPECT_FALSE(r.limited);

  r = ComputeEngineResize(0, 0, 300, 100, 1.5, 400);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.width, 400);
  EXPECT_EQ(r.height, 150);
  EXPECT_TRUE(r.limited);
  EXPECT_EQ(r.limited_logical_width, 266);  // 400 / 1.5 truncated
  EXPECT_EQ(r.logical_height, 100);

  EXPECT_FALSE(ComputeEngineResize(450, 150, 300, 100, 1.5, -1).changed);
  // Truncation, not rounding: 3 * 1.5 = 4.5 -> 4.
  r = ComputeEngineResize(0, 0, 3, 3, 1.5, -1);
  EXPECT_EQ(r.width, 4);
  EXPECT_EQ(r.height, 4);
}

TEST(EngineResizeTest, ZeroScaleDoesNotDivideByZero) {
  EngineResize r = ComputeEngineResize(10, 10, 300, 100, 0.0, 5);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.width, 0);
  EXPECT_FALSE(r.limited);
}

TEST(ScaleRectTest, TruncatesEachValue) {
  const struct {
    Rect in;
    double scale;
    Rect out;
  } cases[] = {
      {{10, 10, 100, 50}, 1.5, {15, 15, 150, 75}},
      {{10, 10, 100, 50}, 1.0, {10, 10, 100, 50}},
      {{1, 3, 5, 7}, 1.5, {1, 4, 7, 10}},
      {{-3, -1, 1, 1}, 1.5, {-4, -1, 1, 1}},
      {{INT_MAX, 0, 1, 1}, 2.0, {INT_MAX, 0, 2, 2}},
  };
  for (const auto& c : cases) {
    Rect r = ScaleRect(c.in, c.scale);
    EXPECT_EQ(r.x, c.out.x);
    EXPECT_EQ(r.y, c.out.y);
    EXPECT_EQ(r.width, c.out.width);
    EXPECT_EQ(r.height, c.out.height);
  }
}

}  // namespace
}  // namespace ternapp
