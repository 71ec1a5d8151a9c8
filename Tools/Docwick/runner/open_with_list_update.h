// Puts Docwick.exe first in Explorer's OpenWithList of one extension under HKEY_CURRENT_USER
// (or the key given in its place).
#pragma once

#include <windows.h>

namespace docwick {

// Silent: a key that cannot be opened, or an "MRUList" that is not text, leaves the extension
// untouched.
void UpdateOpenWithList(HKEY current_user, const wchar_t* extension);

}  // namespace docwick
