// Registry helpers for the Open-With tests: a readable dump of a key tree, typed value writes
// and reads, and a guard that puts a key's values back as they were.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace docwick_test {

// Every subkey, value name, type and data under `path`, sorted; "<missing>" when absent.
std::string DumpKeyTree(HKEY root, const std::wstring& path);

bool SetRawValue(HKEY root,
                 const std::wstring& path,
                 const wchar_t* name,
                 DWORD type,
                 const void* data,
                 DWORD size);
// REG_SZ with its terminating NUL.
bool SetStringValue(HKEY root,
                    const std::wstring& path,
                    const wchar_t* name,
                    const std::wstring& value);

struct RawValue {
  bool exists = false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};
RawValue ReadRawValue(HKEY root, const std::wstring& path, const wchar_t* name);
// The text of a REG_SZ value without its terminating NUL; empty when missing or not REG_SZ.
std::wstring ReadStringValue(HKEY root, const std::wstring& path, const wchar_t* name);
bool KeyExists(HKEY root, const std::wstring& path);

// Records the values of a key without subkeys and restores exactly them (or its absence) on
// destruction.
class ScopedKeyRestore {
 public:
  ScopedKeyRestore(HKEY root, const std::wstring& path);
  ~ScopedKeyRestore();
  ScopedKeyRestore(const ScopedKeyRestore&) = delete;
  ScopedKeyRestore& operator=(const ScopedKeyRestore&) = delete;

 private:
  struct NamedValue {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
  };
  HKEY m_root;
  std::wstring m_path;
  bool m_existed = false;
  std::vector<NamedValue> m_values;
};

}  // namespace docwick_test
