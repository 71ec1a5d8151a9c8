// Reads a string of a file's version resource, in the resource's first language.
#pragma once

#include <string>

namespace setup_util {

// `name` such as L"CompanyName" or L"ProductName". Looks up the first language/code-page
// pair of \VarFileInfo\Translation. False when the file has no version resource, the
// value is absent, or it is longer than 260 characters.
bool ReadVersionString(const std::wstring& file, const wchar_t* name, std::wstring* value);

}  // namespace setup_util
