// Removal primitives shared by the file-removal tasks: delete now, delete a tree, delete at
// the next restart, and the names under which files are moved aside before deletion.
#pragma once

#include <string>

namespace setup_util {

// Paths this long or longer are refused by DeletePath and DeleteAtRestart.
const size_t kMaxRemovalPath = 260;

// A directory is removed only when empty. A file is deleted; when that fails the shell's
// silent file operation is tried, and both failures are logged (warning level).
bool DeletePath(const std::wstring& path);

// With `recursive`, a directory and everything below it (links below it are removed, never
// followed); otherwise as DeletePath. True when nothing is left at `path`.
bool DeleteTree(const std::wstring& path, bool recursive);

// Registers `path` for deletion at the next restart (session manager's pending renames).
bool DeleteAtRestart(const std::wstring& path);

// Numbered backup name for `path` inside `temp_folder` (or next to `path` when the folder is
// empty or on another drive); false when `path` does not exist.
bool MakeMoveAsideName(const std::wstring& path,
                       const std::wstring& temp_folder,
                       bool* is_directory,
                       std::wstring* new_name);

// A free folder name for removed files, on the volume of `install_path`.
bool MakeRemovedFilesTempFolder(const std::wstring& install_path, std::wstring* folder);

bool PathExists(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
bool IsFile(const std::wstring& path);

// Full, long form of `path` without trailing separators ("C:\" keeps its own).
std::wstring NormalizePath(const std::wstring& path);

}  // namespace setup_util
