// Reading registry values through an open key.
#pragma once

#include <windows.h>

#include <string>

namespace setup_util {

// REG_SZ or REG_EXPAND_SZ (not expanded); false when absent or of another type.
bool ReadRegistryString(HKEY key, const wchar_t* name, std::wstring* value);
// REG_DWORD; false when absent or of another type.
bool ReadRegistryDword(HKEY key, const wchar_t* name, DWORD* value);

}  // namespace setup_util
