#include "skiff_ipc.h"

#include <string>

namespace {
HANDLE g_mutex = nullptr;
}

extern "C" {

BOOL IPCStartup(const char* name_utf8) {
  if (!name_utf8 || !*name_utf8 || g_mutex)
    return FALSE;
  std::string name = std::string("SkiffIPC_") + name_utf8;
  int n = MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, nullptr, 0);
  if (n <= 0)
    return FALSE;
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, &wide[0], n);
  g_mutex = CreateMutexW(nullptr, FALSE, wide.c_str());
  return g_mutex ? TRUE : FALSE;
}

void IPCCleanup(void) {
  if (g_mutex)
    CloseHandle(g_mutex);
  g_mutex = nullptr;
}

}  // extern "C"
