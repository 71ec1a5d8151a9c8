// Standard Base64 (RFC 4648): "A"-"Z", "a"-"z", "0"-"9", "+", "/", "=" padding, no line breaks.
#pragma once

#include <string>

namespace docwick_ext {

// Output length is 4 * ((n + 2) / 3) for n input bytes.
std::string Base64Encode(const std::string& bytes);

}  // namespace docwick_ext
