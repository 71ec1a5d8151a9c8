// Whether a path lies inside a directory: the path begins with the directory (without
// regard to case) and a backslash follows, so "C:\App2\x.exe" is not inside "C:\App".
#pragma once

#include <string>

namespace uninstall {

// Trailing separators of `directory` are ignored; an empty directory contains nothing.
bool IsPathInsideDirectory(const std::wstring& path, const std::wstring& directory);

}  // namespace uninstall
