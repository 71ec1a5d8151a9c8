// UTF-8 <-> UTF-16 conversion for text that crosses to the libraries and the client.
#pragma once

#include <string>

namespace ternapp {

std::string Utf8FromWide(const std::wstring& wide);
std::wstring WideFromUtf8(const std::string& utf8);

}  // namespace ternapp
