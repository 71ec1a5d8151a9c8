// A fresh folder under the temporary folder, removed with its contents on destruction.
#pragma once

#include <string>

namespace tern_test {

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  bool valid() const { return !path_.empty(); }
  // Full path without a trailing separator.
  const std::wstring& path() const { return path_; }
  std::wstring Join(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// Removes a folder tree; true when nothing is left.
bool RemoveTree(const std::wstring& path);

}  // namespace tern_test
