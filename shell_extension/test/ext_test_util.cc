#include "ext_test_util.h"

#include <shlwapi.h>
#include <stdio.h>

#include "tern_test/process.h"

namespace docwickext_test {

const wchar_t kClsidText[] = L"{C6D2E2BC-FCE5-45E3-A90C-33D5DFE74D57}";

std::wstring ExtDllPath() {
  return tern_test::ExeDir() + L"\\" + DOCWICKEXT_DLL_NAME;
}

std::wstring SeamDllPath() {
  return tern_test::ExeDir() + L"\\test_seam\\" + DOCWICKEXT_DLL_NAME;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

namespace {

// ERROR_SUCCESS when the value exists; `out` gets REG_SZ text.
LONG QueryValue(HKEY root,
                const std::wstring& path,
                const std::wstring& name,
                DWORD* type,
                std::wstring* out) {
  HKEY key = nullptr;
  LONG error = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key);
  if (error != ERROR_SUCCESS)
    return error;
  wchar_t buffer[1024] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  error = RegQueryValueExW(key, name.empty() ? nullptr : name.c_str(), nullptr, type,
                           reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (error == ERROR_SUCCESS && out)
    *out = buffer;
  return error;
}

}  // namespace

bool ReadString(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring* out) {
  DWORD type = 0;
  return QueryValue(root, path, name, &type, out) == ERROR_SUCCESS && type == REG_SZ;
}

bool ValueExists(HKEY root, const std::wstring& path, const std::wstring& name) {
  DWORD type = 0;
  return QueryValue(root, path, name, &type, nullptr) == ERROR_SUCCESS;
}

void DeleteTree(HKEY root, const std::wstring& path) {
  SHDeleteKeyW(root, path.c_str());
}

bool CreateKey(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

std::wstring LogLine(HMODULE module, const std::wstring& message) {
  wchar_t prefix[64];
  _snwprintf(prefix, 63, L"[PelicanShellExt][5.0][0x%x], ",
             static_cast<unsigned>(reinterpret_cast<UINT_PTR>(module)));
  prefix[63] = L'\0';
  return prefix + message;
}

std::string Narrow(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

}  // namespace docwickext_test
