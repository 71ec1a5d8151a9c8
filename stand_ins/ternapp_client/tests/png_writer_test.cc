#include "png_writer.h"
#include <algorithm>

#include <gtest/gtest.h>

namespace ternapp_client {
namespace {

TEST(PngWriterTest, ChecksumsMatchKnownValues) {
  const uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(Crc32(text, sizeof(text)), 0xCBF43926u);
  const uint8_t wiki[] = {'W', 'i', 'k', 'i', 'p', 'e', 'd', 'i', 'a'};
  EXPECT_EQ(Adler32(wiki, sizeof(wiki)), 0x11E60398u);
}

TEST(PngWriterTest, LayoutOfSmallImage) {
  std::vector<uint32_t> pixels = {0xFF112233u, 0x80445566u};
  std::vector<uint8_t> png = EncodePng(pixels, 2, 1);
  ASSERT_GT(png.size(), 8u + 25u);
  EXPECT_EQ(png[1], 'P');
  EXPECT_EQ(png[12], 'I');  // IHDR follows the signature and its length
  EXPECT_EQ(png[19], 2);    // width
  EXPECT_EQ(png[23], 1);    // height
  EXPECT_EQ(png[25], 6);    // RGBA
  // Filter byte then the first pixel as R, G, B, A inside the stored block.
  const uint8_t first[] = {0, 0x11, 0x22, 0x33, 0xFF, 0x44, 0x55, 0x66, 0x80};
  auto at = std::search(png.begin(), png.end(), std::begin(first), std::end(first));
  EXPECT_NE(at, png.end());
  EXPECT_TRUE(EncodePng(pixels, 3, 1).empty());
}

TEST(PngWriterTest, LargeImageSplitsIntoStoredBlocks) {
  std::vector<uint32_t> pixels(200 * 100, 0xFF00FF00u);
  std::vector<uint8_t> png = EncodePng(pixels, 200, 100);
  // 100 rows of 801 bytes: two stored blocks of at most 65535 bytes.
  EXPECT_GT(png.size(), 80100u);
  EXPECT_LT(png.size(), 80100u + 100u);
}

}  // namespace
}  // namespace ternapp_client
