// Little-endian byte encoding shared by the channel's fields and frames. Reads are bounds
// checked and never move past the end; a failed read leaves the position unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace conduit {

// Field tags on the wire; each serialised field starts with one.
enum FieldTag : uint8_t {
  kTagUInt32 = 1,
  kTagInt32 = 2,
  kTagBool = 3,
  kTagString = 4,
  kTagVariant = 5,
  kTagDispParams = 6,
  kTagSize = 7,
};

// Upper bounds that keep a hostile peer from making the reader allocate without limit.
constexpr uint32_t kMaxStringBytes = 16u << 20;
constexpr uint32_t kMaxDispParamsCount = 4096;
constexpr uint32_t kMaxFrameBytes = 64u << 20;

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<uint8_t>* out) : out_(out) {}
  void U8(uint8_t v) { out_->push_back(v); }
  void U16(uint16_t v);
  void U32(uint32_t v);
  void U64(uint64_t v);
  void Bytes(const void* data, size_t length);

 private:
  std::vector<uint8_t>* out_;
};

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t length, size_t position = 0)
      : data_(data), length_(length), position_(position) {}
  bool U8(uint8_t* v);
  bool U16(uint16_t* v);
  bool U32(uint32_t* v);
  bool U64(uint64_t* v);
  bool Bytes(size_t length, const uint8_t** start);
  size_t position() const { return position_; }
  size_t remaining() const { return length_ - position_; }

 private:
  const uint8_t* data_;
  size_t length_;
  size_t position_;
};

// Frame: u32 length of what follows, u8 kind, u32 conn, u32 seq, u32 group, payload.
struct FrameHeader {
  uint32_t kind = 0;
  uint32_t conn = 0;
  uint32_t seq = 0;
  uint32_t group = 0;
};
constexpr uint32_t kFrameFixedBytes = 13;

std::vector<uint8_t> EncodeFrame(const FrameHeader& header, const void* payload, size_t length);
// `body` is what follows the length word; false when it is shorter than the fixed part.
bool DecodeFrameBody(const uint8_t* body,
                     size_t length,
                     FrameHeader* header,
                     const uint8_t** payload,
                     size_t* payload_length);

// A plain string field as the serialiser writes it (tag, length, bytes).
void WriteStringField(ByteWriter* writer, const std::string& text);
bool ReadStringField(ByteReader* reader, std::string* text);

}  // namespace conduit
