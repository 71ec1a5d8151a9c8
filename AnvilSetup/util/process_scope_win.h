// Ending processes of one executable name whose image lies inside a directory.
#pragma once

#include <string>

namespace setup_util {

// True when `path` lies inside `directory`: both made absolute, compared without regard to
// case, and the character after the directory part is a backslash (so "C:\Tern2\x.exe" is not
// inside "C:\Tern"). A trailing backslash on `directory` does not matter; an empty one
// contains nothing.
bool IsPathInsideDirectory(const std::wstring& path, const std::wstring& directory);

// Terminates (exit code 0) every process named `exe_name` (without regard to case) whose first
// module lies inside `directory`. Does not wait. True when at least one was terminated.
bool KillProcessesInDirectory(const std::wstring& directory, const std::wstring& exe_name);

}  // namespace setup_util
