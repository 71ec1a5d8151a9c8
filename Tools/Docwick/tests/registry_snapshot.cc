#include "registry_snapshot.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>

namespace docwick_test {

namespace {

const REGSAM kView = KEY_WOW64_64KEY;

class Key {
 public:
  Key(HKEY root, const std::wstring& path, REGSAM access) {
    if (RegOpenKeyExW(root, path.c_str(), 0, access | kView, &m_key) != ERROR_SUCCESS)
      m_key = nullptr;
  }
  ~Key() {
    if (m_key)
      RegCloseKey(m_key);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text)
    out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

void DumpInto(HKEY root, const std::wstring& path, const std::string& indent, std::string* out) {
  Key key(root, path, KEY_READ);
  if (!key.get()) {
    *out += indent + "<missing>\n";
    return;
  }
  std::vector<std::string> values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLength = 16384;
    BYTE data[4096];
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &size) !=
        ERROR_SUCCESS)
      break;
    std::string line =
        indent + "'" + Narrow(std::wstring(name, nameLength)) + "' " + std::to_string(type) + " ";
    for (DWORD b = 0; b < size; ++b) {
      char hex[4];
      std::snprintf(hex, sizeof(hex), "%02x", data[b]);
      line += hex;
    }
    values.push_back(line + "\n");
  }
  std::sort(values.begin(), values.end());
  for (const std::string& line : values)
    *out += line;
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExW(key.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    children.push_back(std::wstring(name, nameLength));
  }
  std::sort(children.begin(), children.end());
  for (const std::wstring& child : children) {
    *out += indent + "[" + Narrow(child) + "]\n";
    DumpInto(key.get(), child, indent + "  ", out);
  }
}

}  // namespace

std::string DumpKeyTree(HKEY root, const std::wstring& path) {
  std::string out;
  DumpInto(root, path, "", &out);
  return out;
}

bool SetRawValue(HKEY root,
                 const std::wstring& path,
                 const wchar_t* name,
                 DWORD type,
                 const void* data,
                 DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | kView, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool SetStringValue(HKEY root,
                    const std::wstring& path,
                    const wchar_t* name,
                    const std::wstring& value) {
  return SetRawValue(root, path, name, REG_SZ, value.c_str(),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

RawValue ReadRawValue(HKEY root, const std::wstring& path, const wchar_t* name) {
  RawValue value;
  Key key(root, path, KEY_READ);
  if (!key.get())
    return value;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
    return value;
  value.data.resize(size);
  if (RegQueryValueExW(key.get(), name, nullptr, &value.type, value.data.data(), &size) !=
      ERROR_SUCCESS)
    return value;
  value.data.resize(size);
  value.exists = true;
  return value;
}

std::wstring ReadStringValue(HKEY root, const std::wstring& path, const wchar_t* name) {
  RawValue value = ReadRawValue(root, path, name);
  if (!value.exists || value.type != REG_SZ)
    return std::wstring();
  std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()),
                    value.data.size() / sizeof(wchar_t));
  if (!text.empty() && text.back() == L'\0')
    text.pop_back();
  return text;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  Key key(root, path, KEY_READ);
  return key.get() != nullptr;
}

ScopedKeyRestore::ScopedKeyRestore(HKEY root, const std::wstring& path)
    : m_root(root), m_path(path) {
  Key key(root, path, KEY_READ);
  if (!key.get())
    return;
  m_existed = true;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLength = 16384;
    DWORD size = 0;
    DWORD type = 0;
    if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
      break;
    NamedValue value = {std::wstring(name, nameLength), type, std::vector<BYTE>(size)};
    nameLength = 16384;
    if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, value.data.data(), &size) ==
        ERROR_SUCCESS)
      m_values.push_back(value);
  }
}

ScopedKeyRestore::~ScopedKeyRestore() {
  SHDeleteKeyW(m_root, m_path.c_str());
  if (!m_existed)
    return;
  HKEY key = nullptr;
  if (RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_WRITE | kView, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  for (const NamedValue& value : m_values)
    RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                   static_cast<DWORD>(value.data.size()));
  RegCloseKey(key);
}

}  // namespace docwick_test
