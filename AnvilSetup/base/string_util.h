// Small text helpers of the engine.
#pragma once

#include <string>
#include <vector>

namespace base {

// Space, tab, line feed, vertical tab, form feed, carriage return.
std::string TrimWhitespaceASCII(const std::string& text);
// Splits at every `separator`, trims each piece and drops the empty ones.
std::vector<std::string> SplitNonEmptyTrimmed(const std::string& text, char separator);

}  // namespace base
