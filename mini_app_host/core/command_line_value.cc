#include "command_line_value.h"

#include <climits>
#include <cstdint>

namespace ternapp {

std::string GetCommandLineValue(const std::string& text, const std::string& key) {
  if (key.empty())
    return std::string();
  size_t at = text.find(key);
  if (at == std::string::npos)
    return std::string();
  size_t start = at + key.size();
  size_t end = text.find(' ', start);
  std::string raw = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  size_t first = raw.find('"');
  size_t last = raw.rfind('"');
  if (first == std::string::npos || first == last)
    return raw;
  return raw.substr(first + 1, last - first - 1);
}

uint32_t ParseGroupId(const std::string& value) {
  size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t' || value[i] == '\n' ||
                              value[i] == '\v' || value[i] == '\f' || value[i] == '\r'))
    ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  int64_t magnitude = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > static_cast<int64_t>(INT_MAX) + 1)
      magnitude = static_cast<int64_t>(INT_MAX) + 1;
  }
  int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > INT_MAX)
    signed_value = INT_MAX;
  // The id travels as an unsigned 32-bit field; a negative atoi result keeps its bit pattern.
  return static_cast<uint32_t>(static_cast<int32_t>(signed_value));
}

}  // namespace ternapp
