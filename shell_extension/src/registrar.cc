#include "registrar.h"

#include <shlwapi.h>

#include <string>

namespace {

using docwick_ext::KeyFlag;
using docwick_ext::RegKey;
using docwick_ext::RegValue;
using docwick_ext::ValueType;

class CScopedKey {
 public:
  CScopedKey() = default;
  ~CScopedKey() {
    if (m_hKey)
      RegCloseKey(m_hKey);
  }
  CScopedKey(const CScopedKey&) = delete;
  CScopedKey& operator=(const CScopedKey&) = delete;
  HKEY* Receive() { return &m_hKey; }
  HKEY Get() const { return m_hKey; }

 private:
  HKEY m_hKey = nullptr;
};

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty())
    return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

LONG SetValue(HKEY key, const RegValue& value) {
  const std::wstring name = Wide(value.name);
  if (value.type == ValueType::kDword) {
    DWORD number = value.number;
    return RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof(number));
  }
  const std::wstring text = Wide(value.text);
  return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool IsMissing(LONG error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

LONG RegisterKey(HKEY parent, const RegKey& key) {
  const std::wstring name = Wide(key.name);
  if (key.flag == KeyFlag::kForceRemove) {
    LONG error = SHDeleteKeyW(parent, name.c_str());
    if (error != ERROR_SUCCESS && !IsMissing(error))
      return error;
  }
  CScopedKey handle;
  LONG error = RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                               handle.Receive(), nullptr);
  if (error != ERROR_SUCCESS)
    return error;
  if (key.has_default && (error = SetValue(handle.Get(), key.default_value)) != ERROR_SUCCESS)
    return error;
  for (const RegValue& value : key.values) {
    if ((error = SetValue(handle.Get(), value)) != ERROR_SUCCESS)
      return error;
  }
  for (const RegKey& sub : key.subkeys) {
    if ((error = RegisterKey(handle.Get(), sub)) != ERROR_SUCCESS)
      return error;
  }
  return ERROR_SUCCESS;
}

LONG UnregisterKey(HKEY parent, const RegKey& key) {
  const std::wstring name = Wide(key.name);
  if (key.flag == KeyFlag::kForceRemove) {
    LONG error = SHDeleteKeyW(parent, name.c_str());
    return IsMissing(error) ? ERROR_SUCCESS : error;
  }
  bool empty = false;
  {
    CScopedKey handle;
    LONG error = RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, handle.Receive());
    if (IsMissing(error))
      return ERROR_SUCCESS;
    if (error != ERROR_SUCCESS)
      return error;
    for (const RegValue& value : key.values) {
      error = RegDeleteValueW(handle.Get(), Wide(value.name).c_str());
      if (error != ERROR_SUCCESS && !IsMissing(error))
        return error;
    }
    for (const RegKey& sub : key.subkeys) {
      if ((error = UnregisterKey(handle.Get(), sub)) != ERROR_SUCCESS)
        return error;
    }
    if (key.flag == KeyFlag::kNoRemove)
      return ERROR_SUCCESS;
    if (key.has_default) {
      error = RegDeleteValueW(handle.Get(), nullptr);
      if (error != ERROR_SUCCESS && !IsMissing(error))
        return error;
    }
    DWORD subkeys = 0, values = 0;
    error = RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr);
    if (error != ERROR_SUCCESS)
      return error;
    empty = subkeys == 0 && values == 0;
  }
  // Something else still lives in the key: it is not ours to delete.
  if (!empty)
    return ERROR_SUCCESS;
  LONG error = RegDeleteKeyW(parent, name.c_str());
  return IsMissing(error) ? ERROR_SUCCESS : error;
}

LONG OpenRoot(const std::string& name, bool perUser, CScopedKey* owned, HKEY* root) {
  if (name == "HKCR") {
    if (!perUser) {
      *root = HKEY_CLASSES_ROOT;
      return ERROR_SUCCESS;
    }
    LONG error = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                 KEY_READ | KEY_WRITE, nullptr, owned->Receive(), nullptr);
    *root = owned->Get();
    return error;
  }
  *root = name == "HKCU" ? HKEY_CURRENT_USER : name == "HKLM" ? HKEY_LOCAL_MACHINE : HKEY_USERS;
  return ERROR_SUCCESS;
}

}  // namespace

HRESULT ApplyRegistrarScript(const docwick_ext::RegScript& script, bool doRegister, bool perUser) {
  for (const docwick_ext::RegRoot& root : script.roots) {
    CScopedKey owned;
    HKEY rootKey = nullptr;
    LONG error = OpenRoot(root.name, perUser, &owned, &rootKey);
    if (error != ERROR_SUCCESS)
      return HRESULT_FROM_WIN32(error);
    for (const RegKey& key : root.keys) {
      error = doRegister ? RegisterKey(rootKey, key) : UnregisterKey(rootKey, key);
      if (error != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(error);
    }
  }
  return S_OK;
}
