// UTF-8 <-> wide text. wchar_t is UTF-16 on Windows and UTF-32 on Linux; invalid input
// becomes U+FFFD.
#pragma once

#include <string>

namespace base {

std::string WideToUTF8(const std::wstring& wide);
std::wstring UTF8ToWide(const std::string& utf8);

}  // namespace base
