#include "base/string_util.h"

namespace base {

namespace {
const char kWhitespace[] = " \t\n\v\f\r";
}  // namespace

std::string TrimWhitespaceASCII(const std::string& text) {
  size_t begin = text.find_first_not_of(kWhitespace);
  if (begin == std::string::npos)
    return std::string();
  size_t end = text.find_last_not_of(kWhitespace);
  return text.substr(begin, end - begin + 1);
}

std::vector<std::string> SplitNonEmptyTrimmed(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    std::string piece =
        TrimWhitespaceASCII(text.substr(start, end == std::string::npos ? end : end - start));
    if (!piece.empty())
      pieces.push_back(piece);
    if (end == std::string::npos)
      return pieces;
    start = end + 1;
  }
}

}  // namespace base
