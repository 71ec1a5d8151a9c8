#include "tern_test/scoped_temp_dir.h"

#include <windows.h>

namespace tern_test {

ScopedTempDir::ScopedTempDir() {
  wchar_t temp[MAX_PATH] = {};
  DWORD n = GetTempPathW(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH)
    return;
  std::wstring base(temp, n);
  if (!base.empty() && base.back() == L'\\')
    base.pop_back();
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::wstring candidate = base + L"\\tern_test_" + std::to_wstring(GetCurrentProcessId()) +
                             L"_" + std::to_wstring(GetTickCount()) + L"_" +
                             std::to_wstring(attempt);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
}

ScopedTempDir::~ScopedTempDir() {
  if (!path_.empty())
    RemoveTree(path_);
}

bool RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
  return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace tern_test
