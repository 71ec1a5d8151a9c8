// Minimal PNG encoder (8-bit RGBA, stored deflate blocks) for saving presented frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ternapp_client {

// `bgra` holds width * height pixels as little-endian 0xAARRGGBB words, rows top-down.
std::vector<uint8_t> EncodePng(const std::vector<uint32_t>& bgra, int width, int height);

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t length);

}  // namespace ternapp_client
