// DllRegisterServer / DllUnregisterServer work: the two registrar scripts and the type library,
// per machine or (g_module.m_bPerUser) per user.
#pragma once

#include <windows.h>

HRESULT RegisterServer();
HRESULT UnregisterServer();
