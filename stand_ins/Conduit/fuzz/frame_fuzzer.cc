// libFuzzer target: frame and field decoding of the channel stay within their input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "wire/byte_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  conduit::FrameHeader header;
  const uint8_t* payload = nullptr;
  size_t payload_length = 0;
  if (conduit::DecodeFrameBody(data, size, &header, &payload, &payload_length)) {
    if (payload < data || payload + payload_length > data + size)
      __builtin_trap();
  }
  conduit::ByteReader reader(data, size);
  std::string text;
  while (conduit::ReadStringField(&reader, &text)) {
  }
  uint32_t word = 0;
  while (reader.U32(&word)) {
  }
  return 0;
}
