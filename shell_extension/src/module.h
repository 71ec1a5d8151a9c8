// The one module object of the DLL: module handle, lock count, factory guard, per-user flag.
#pragma once

#include <windows.h>

class CDocwickExtModule {
 public:
  // Process attach; false when the critical section cannot be set up.
  bool Init();
  // Process detach: drops the cached class factory and the critical section.
  void Term();

  LONG Lock() { return InterlockedIncrement(&m_nLockCnt); }
  LONG Unlock() { return InterlockedDecrement(&m_nLockCnt); }
  LONG GetLockCount() const { return m_nLockCnt; }

  // Saved by the DLL entry point on every call.
  HINSTANCE m_hInstance = nullptr;
  // Guards the one-time creation of class factories.
  CRITICAL_SECTION m_csFactory;
  bool m_bCsInitialized = false;
  // Write HKCR entries under HKCU\Software\Classes and register the type library per user.
  bool m_bPerUser = false;

 private:
  volatile LONG m_nLockCnt = 0;
};

extern CDocwickExtModule g_module;
