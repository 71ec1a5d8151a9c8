// An open registry key that closes itself, and the depth-first removal of a key tree. The
// view is explicit so the 32-bit and 64-bit builds write the same place.
#pragma once

#include <windows.h>

#include <string>

namespace docwick {

// Explorer on 64-bit Windows is a 64-bit program: write what it reads. Ignored on 32-bit
// Windows.
const REGSAM kRegistryView = KEY_WOW64_64KEY;

class CScopedRegKey {
 public:
  CScopedRegKey() = default;
  ~CScopedRegKey() { Close(); }
  CScopedRegKey(const CScopedRegKey&) = delete;
  CScopedRegKey& operator=(const CScopedRegKey&) = delete;

  // Opens or creates `path` under `root` for reading and writing (non-volatile).
  LONG Create(HKEY root, const std::wstring& path);
  LONG Open(HKEY root, const std::wstring& path, REGSAM access);
  void Close();
  HKEY get() const { return m_key; }

  LONG SetString(const wchar_t* name, const std::wstring& value) const;

 private:
  HKEY m_key = nullptr;
};

// Deletes `name` under `parent` with all its subkeys, children first. Nothing happens when it
// is missing.
void DeleteKeyTree(HKEY parent, const std::wstring& name);

}  // namespace docwick
