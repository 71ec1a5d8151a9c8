// The mini downloader's registered local-server value as a file path.
#pragma once

#include <string>

namespace uninstall {

// Drops every leading and trailing double quote; quotes inside stay, so a value with
// arguments after a quoted path does not name a file.
std::wstring StripSurroundingQuotes(const std::wstring& value);

}  // namespace uninstall
