// The DLL entry point and the five COM server exports.
#include <windows.h>
#include <wchar.h>

#include "class_factory.h"
#include "module.h"
#include "registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
  g_module.m_hInstance = hInstance;
  if (dwReason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(hInstance);
    return g_module.Init() ? TRUE : FALSE;
  }
  if (dwReason == DLL_PROCESS_DETACH)
    g_module.Term();
  return TRUE;
}

STDAPI DllCanUnloadNow() {
  return g_module.GetLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return GetClassObjectFromMap(rclsid, riid, ppv);
}

STDAPI DllRegisterServer() {
  return RegisterServer();
}

STDAPI DllUnregisterServer() {
  return UnregisterServer();
}

STDAPI DllInstall(BOOL bInstall, LPCWSTR pszCmdLine) {
  // Five characters with the terminator: "user" in any case, but not "users".
  const bool perUser = pszCmdLine && _wcsnicmp(pszCmdLine, L"user", 5) == 0;
  // Per-user mode lasts for this call only, so a later DllRegisterServer in the same process
  // still registers for the machine.
  const bool saved = g_module.m_bPerUser;
  g_module.m_bPerUser = perUser;
  HRESULT hr;
  if (bInstall) {
    hr = RegisterServer();
    if (FAILED(hr))
      UnregisterServer();
  } else {
    hr = UnregisterServer();
  }
  g_module.m_bPerUser = saved;
  return hr;
}
