// SkiffIPC stand-in: the engine's inter-process start-up. IPCStartup claims the name as a
// named mutex "SkiffIPC_<name>" that other processes can see while the app runs.
#pragma once

#include <windows.h>

#ifdef SKIFFIPC_BUILD
#define SKIFFIPC_API __declspec(dllexport)
#else
#define SKIFFIPC_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

SKIFFIPC_API BOOL IPCStartup(const char* name_utf8);
SKIFFIPC_API void IPCCleanup(void);

#ifdef __cplusplus
}
#endif
