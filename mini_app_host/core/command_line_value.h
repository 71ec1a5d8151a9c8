// Values that the host reads out of its own command line. The key is searched anywhere in
// the text, so "xstorage=" also matches "storage="; the rest of the line is the libraries'.
#pragma once

#include <cstdint>
#include <string>

namespace ternapp {

// The text after the first `key` up to the next blank; when that raw value holds two or more
// double quotes, only the text strictly between the first and the last one.
std::string GetCommandLineValue(const std::string& text, const std::string& key);

// Decimal with the C library's atoi rules (leading blanks, optional sign, digits up to the
// first non-digit); 0 for empty or non-numeric text. Out-of-range values saturate instead of
// invoking undefined behaviour.
uint32_t ParseGroupId(const std::string& value);

}  // namespace ternapp
