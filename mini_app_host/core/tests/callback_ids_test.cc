#include "callback_ids.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace ternapp {
namespace {

TEST(NextCallbackIdTest, FirstIdIsOneAndIdsAdvance) {
  int32_t counter = 0;
  EXPECT_EQ(NextCallbackId(&counter), 1);
  EXPECT_EQ(NextCallbackId(&counter), 2);
  EXPECT_EQ(counter, 2);
}

TEST(NextCallbackIdTest, WrapsThroughNegativesAndSkipsZero) {
  int32_t counter = INT32_MAX;
  EXPECT_EQ(NextCallbackId(&counter), INT32_MIN);
  counter = -2;
  EXPECT_EQ(NextCallbackId(&counter), -1);
  EXPECT_EQ(NextCallbackId(&counter), 1);
}

}  // namespace
}  // namespace ternapp
