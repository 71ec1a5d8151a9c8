#include "input_event.h"

#include <gtest/gtest.h>

namespace ternapp {
namespace {

int32_t MakeLParam(int x, int y) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                              static_cast<uint16_t>(x));
}

TEST(MapInputEventTest, EntriesHandledFlagsAndButtons) {
  const struct {
    uint32_t code;
    bool handled;
    int entry;
    InputArgs args;
    int button;
  } cases[] = {
      {0x1001, true, 0, InputArgs::kPointButtonParam, 1},
      {0x1002, false, -1, InputArgs::kNone, 0},
      {0x1003, true, 4, InputArgs::kPointParam, 0},
      {0x1004, true, 7, InputArgs::kPointWheel, 0},
      {0x1005, true, 5, InputArgs::kContainerOnly, 0},
      {0x1006, true, 6, InputArgs::kContainerOnly, 0},
      {0x1007, true, 2, InputArgs::kPointButtonParam, 1},
      {0x1008, true, 3, InputArgs::kPointButtonParam, 1},
      {0x1009, true, 2, InputArgs::kPointButtonParam, 2},
      {0x100A, true, 3, InputArgs::kPointButtonParam, 2},
      {0x100B, false, 8, InputArgs::kKey, 0},
      {0x100C, false, 9, InputArgs::kKey, 0},
      {0x1000, false, -1, InputArgs::kNone, 0},
      {0x100D, false, -1, InputArgs::kNone, 0},
      {0xFFFFFFFF, false, -1, InputArgs::kNone, 0},
  };
  for (const auto& c : cases) {
    InputCall call = MapInputEvent(c.code, 9, MakeLParam(3, 4));
    EXPECT_EQ(call.handled, c.handled) << std::hex << c.code;
    EXPECT_EQ(call.entry, c.entry) << std::hex << c.code;
    EXPECT_EQ(call.args, c.args) << std::hex << c.code;
    EXPECT_EQ(call.button, c.button) << std::hex << c.code;
  }
}

TEST(MapInputEventTest, WheelSplitsWParamUnsignedLowSignedHigh) {
  InputCall call = MapInputEvent(0x1004, 0xFF880005u, MakeLParam(20, 30));
  EXPECT_EQ(call.entry, 7);
  EXPECT_EQ(call.low_word, 5u);
  EXPECT_EQ(call.high_word, -120);
  EXPECT_EQ(call.x, 20);
  EXPECT_EQ(call.y, 30);
}

TEST(MapInputEventTest, PointIsSignedWordsOfLParam) {
  InputCall call = MapInputEvent(0x1003, 0, MakeLParam(-5, -32768));
  EXPECT_EQ(call.x, -5);
  EXPECT_EQ(call.y, -32768);
  EXPECT_EQ(call.wparam, 0u);
}

TEST(MapInputEventTest, KeyWordsOfLParamAreBothUnsigned) {
  InputCall call = MapInputEvent(0x100B, 0x41, static_cast<int32_t>(0xC0010001u));
  EXPECT_EQ(call.wparam, 0x41u);
  EXPECT_EQ(call.low_word, 1u);
  EXPECT_EQ(call.high_word, 0xC001);
}

}  // namespace
}  // namespace ternapp
