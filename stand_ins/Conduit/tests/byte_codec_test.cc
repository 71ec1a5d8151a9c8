#include "wire/byte_codec.h"

#include <gtest/gtest.h>

namespace conduit {
namespace {

TEST(ByteCodecTest, RoundTripIsLittleEndian) {
  std::vector<uint8_t> out;
  ByteWriter w(&out);
  w.U16(0x0102);
  w.U32(0xA1B2C3D4u);
  w.U64(0x1122334455667788ull);
  ASSERT_EQ(out.size(), 14u);
  EXPECT_EQ(out[0], 0x02);
  EXPECT_EQ(out[2], 0xD4);
  ByteReader r(out.data(), out.size());
  uint16_t a = 0;
  uint32_t b = 0;
  uint64_t c = 0;
  ASSERT_TRUE(r.U16(&a) && r.U32(&b) && r.U64(&c));
  EXPECT_EQ(a, 0x0102);
  EXPECT_EQ(b, 0xA1B2C3D4u);
  EXPECT_EQ(c, 0x1122334455667788ull);
  uint8_t extra = 0;
  EXPECT_FALSE(r.U8(&extra));
}

TEST(ByteCodecTest, ShortReadsFailWithoutMoving) {
  const uint8_t three[3] = {1, 2, 3};
  ByteReader r(three, sizeof(three));
  uint32_t v = 0;
  EXPECT_FALSE(r.U32(&v));
  EXPECT_EQ(r.position(), 0u);
  const uint8_t* start = nullptr;
  EXPECT_FALSE(r.Bytes(4, &start));
  EXPECT_TRUE(r.Bytes(3, &start));
}

TEST(ByteCodecTest, StringFieldRejectsWrongTagTruncationAndHugeLengths) {
  std::vector<uint8_t> good;
  ByteWriter w(&good);
  WriteStringField(&w, "hello");
  std::string text;
  ByteReader ok(good.data(), good.size());
  ASSERT_TRUE(ReadStringField(&ok, &text));
  EXPECT_EQ(text, "hello");

  std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
  ByteReader r1(truncated.data(), truncated.size());
  EXPECT_FALSE(ReadStringField(&r1, &text));
  EXPECT_EQ(r1.position(), 0u);

  std::vector<uint8_t> wrong_tag = good;
  wrong_tag[0] = kTagUInt32;
  ByteReader r2(wrong_tag.data(), wrong_tag.size());
  EXPECT_FALSE(ReadStringField(&r2, &text));

  std::vector<uint8_t> huge = {kTagString, 0xFF, 0xFF, 0xFF, 0xFF};
  ByteReader r3(huge.data(), huge.size());
  EXPECT_FALSE(ReadStringField(&r3, &text));
}

TEST(ByteCodecTest, FrameRoundTripAndShortBody) {
  FrameHeader h{20, 7, 9, 42};
  const uint8_t payload[] = {5, 6};
  std::vector<uint8_t> frame = EncodeFrame(h, payload, sizeof(payload));
  ByteReader len(frame.data(), frame.size());
  uint32_t body_length = 0;
  ASSERT_TRUE(len.U32(&body_length));
  EXPECT_EQ(body_length, kFrameFixedBytes + 2);
  FrameHeader back;
  const uint8_t* p = nullptr;
  size_t n = 0;
  ASSERT_TRUE(DecodeFrameBody(frame.data() + 4, body_length, &back, &p, &n));
  EXPECT_EQ(back.kind, 20u);
  EXPECT_EQ(back.conn, 7u);
  EXPECT_EQ(back.seq, 9u);
  EXPECT_EQ(back.group, 42u);
  ASSERT_EQ(n, 2u);
  EXPECT_EQ(p[1], 6);
  EXPECT_FALSE(DecodeFrameBody(frame.data() + 4, kFrameFixedBytes - 1, &back, &p, &n));
}

}  // namespace
}  // namespace conduit
