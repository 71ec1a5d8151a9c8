#include "byte_codec.h"

#include <cstring>

namespace conduit {

void ByteWriter::U16(uint16_t v) {
  U8(static_cast<uint8_t>(v));
  U8(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::U32(uint32_t v) {
  U16(static_cast<uint16_t>(v));
  U16(static_cast<uint16_t>(v >> 16));
}

void ByteWriter::U64(uint64_t v) {
  U32(static_cast<uint32_t>(v));
  U32(static_cast<uint32_t>(v >> 32));
}

void ByteWriter::Bytes(const void* data, size_t length) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  out_->insert(out_->end(), p, p + length);
}

bool ByteReader::U8(uint8_t* v) {
  if (remaining() < 1)
    return false;
  *v = data_[position_++];
  return true;
}

bool ByteReader::U16(uint16_t* v) {
  if (remaining() < 2)
    return false;
  *v = static_cast<uint16_t>(data_[position_] | (data_[position_ + 1] << 8));
  position_ += 2;
  return true;
}

bool ByteReader::U32(uint32_t* v) {
  if (remaining() < 4)
    return false;
  uint32_t r = 0;
  for (int i = 3; i >= 0; --i)
    r = (r << 8) | data_[position_ + i];
  *v = r;
  position_ += 4;
  return true;
}

bool ByteReader::U64(uint64_t* v) {
  if (remaining() < 8)
    return false;
  uint64_t r = 0;
  for (int i = 7; i >= 0; --i)
    r = (r << 8) | data_[position_ + i];
  *v = r;
  position_ += 8;
  return true;
}

bool ByteReader::Bytes(size_t length, const uint8_t** start) {
  if (remaining() < length)
    return false;
  *start = data_ + position_;
  position_ += length;
  return true;
}

std::vector<uint8_t> EncodeFrame(const FrameHeader& header, const void* payload, size_t length) {
  std::vector<uint8_t> out;
  out.reserve(4 + kFrameFixedBytes + length);
  ByteWriter w(&out);
  w.U32(static_cast<uint32_t>(kFrameFixedBytes + length));
  w.U8(static_cast<uint8_t>(header.kind));
  w.U32(header.conn);
  w.U32(header.seq);
  w.U32(header.group);
  if (length)
    w.Bytes(payload, length);
  return out;
}

bool DecodeFrameBody(const uint8_t* body,
                     size_t length,
                     FrameHeader* header,
                     const uint8_t** payload,
                     size_t* payload_length) {
  ByteReader r(body, length);
  uint8_t kind = 0;
  if (!r.U8(&kind) || !r.U32(&header->conn) || !r.U32(&header->seq) || !r.U32(&header->group))
    return false;
  header->kind = kind;
  *payload_length = r.remaining();
  *payload = body + r.position();
  return true;
}

void WriteStringField(ByteWriter* writer, const std::string& text) {
  writer->U8(kTagString);
  writer->U32(static_cast<uint32_t>(text.size()));
  writer->Bytes(text.data(), text.size());
}

bool ReadStringField(ByteReader* reader, std::string* text) {
  ByteReader probe = *reader;
  uint8_t tag = 0;
  uint32_t length = 0;
  const uint8_t* start = nullptr;
  if (!probe.U8(&tag) || tag != kTagString || !probe.U32(&length) || length > kMaxStringBytes ||
      !probe.Bytes(length, &start))
    return false;
  text->assign(reinterpret_cast<const char*>(start), length);
  *reader = probe;
  return true;
}

}  // namespace conduit
