#include "runner/scoped_reg_key.h"

#include <vector>

namespace docwick {

namespace {

typedef LONG(WINAPI* RegDeleteKeyExWFn)(HKEY, LPCWSTR, REGSAM, DWORD);

// RegDeleteKeyExW, which takes the view, is missing on 32-bit Windows XP, where there is only
// one view and RegDeleteKeyW does the same.
LONG DeleteOneKey(HKEY parent, const wchar_t* name) {
  static const RegDeleteKeyExWFn delete_ex =
      reinterpret_cast<RegDeleteKeyExWFn>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW")));
  if (delete_ex)
    return delete_ex(parent, name, kRegistryView, 0);
  return RegDeleteKeyW(parent, name);
}

}  // namespace

LONG CScopedRegKey::Create(HKEY root, const std::wstring& path) {
  Close();
  LONG result = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_READ | KEY_WRITE | kRegistryView, nullptr, &m_key, nullptr);
  if (result != ERROR_SUCCESS)
    m_key = nullptr;
  return result;
}

LONG CScopedRegKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
  Close();
  LONG result = RegOpenKeyExW(root, path.c_str(), 0, access | kRegistryView, &m_key);
  if (result != ERROR_SUCCESS)
    m_key = nullptr;
  return result;
}

void CScopedRegKey::Close() {
  if (m_key)
    RegCloseKey(m_key);
  m_key = nullptr;
}

LONG CScopedRegKey::SetString(const wchar_t* name, const std::wstring& value) const {
  return RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteKeyTree(HKEY parent, const std::wstring& name) {
  CScopedRegKey key;
  if (key.Open(parent, name, KEY_READ | DELETE) != ERROR_SUCCESS)
    return;
  // Names first, deletions after: deleting while enumerating shifts the indexes.
  std::vector<std::wstring> children;
  for (DWORD index = 0;; ++index) {
    wchar_t child[256];
    DWORD length = 256;
    LONG result =
        RegEnumKeyExW(key.get(), index, child, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS)
      break;
    if (result == ERROR_SUCCESS)
      children.push_back(std::wstring(child, length));
    else if (result != ERROR_MORE_DATA)
      break;
  }
  for (const std::wstring& child : children)
    DeleteKeyTree(key.get(), child);
  key.Close();
  DeleteOneKey(parent, name.c_str());
}

}  // namespace docwick
