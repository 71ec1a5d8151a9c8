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
  SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
  HRESULT hr = UnRegisterTypeLib(LIBID_ClientEnumLib, 1, 0, LOCALE_NEUTRAL, kind);
  bool typelibGone = SUCCEEDED(hr) || hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED;
  DWORD result = SHDeleteKeyW(HKEY_CLASSES_ROOT, ClassKey().c_str());
  return typelibGone && (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND);
}

}  // namespace client_enum
