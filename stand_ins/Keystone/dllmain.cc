#include <windows.h>

#include "keystone_internal.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    keystone::LogStartup();
    keystone::CoreStartup();
  } else if (reason == DLL_PROCESS_DETACH) {
    keystone::CoreShutdown();
    keystone::LogShutdown();
  }
  return TRUE;
}
