#include "registration.h"

#include <windows.h>
#include <oleauto.h>
#include <shlwapi.h>

// The one file of the server that defines the identifiers the header declares.
#include <initguid.h>

#include "client_enum.h"

namespace client_enum {

namespace {

std::wstring ClassKey() {
  wchar_t clsid[64] = {};
  StringFromGUID2(__uuidof(ClientEnumService), clsid, 64);
  return std::wstring(L"CLSID\\") + clsid;
}

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

bool RegisterServer(const std::wstring& server_args) {
  const std::wstring path = ModulePath();
  if (path.empty())
    return false;
  ITypeLib* typelib = nullptr;
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &typelib)))
    return false;
  typelib->Release();

  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, (ClassKey() + L"\\LocalServer32").c_str(), 0, nullptr, 0,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  std::wstring command = L"\"" + path + L"\" " + server_args;
  LONG result =
      RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool UnregisterServer() {
  // The result of UnRegisterTypeLib differs between systems when nothing is registered; what
  // is left in the registry afterwards is what counts.
  SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
  UnRegisterTypeLib(LIBID_ClientEnumLib, 1, 0, LOCALE_NEUTRAL, kind);
  SHDeleteKeyW(HKEY_CLASSES_ROOT, ClassKey().c_str());
  wchar_t libid[64] = {};
  StringFromGUID2(LIBID_ClientEnumLib, libid, 64);
  return !KeyExists(std::wstring(L"TypeLib\\") + libid + L"\\1.0") && !KeyExists(ClassKey());
}

}  // namespace client_enum
