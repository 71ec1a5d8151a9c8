// The 32-bit FNV-1 hash by which graph objects and context values are keyed. Each byte
// is sign-extended before the XOR, so bytes of 0x80 and above flip the high bits too.
#pragma once

#include <cstdint>
#include <string>

namespace base {

inline uint32_t Fnv1Hash32(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (char c : text) {
    hash *= 16777619u;
    hash ^= static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
  }
  return hash;
}

}  // namespace base
