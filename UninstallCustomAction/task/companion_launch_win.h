// Starting a companion's own uninstaller: normal window, no wait, no handle kept.
#pragma once

#include <string>

namespace uninstall {

bool CompanionFileExists(const std::wstring& path);
// False when the program could not be started; the caller does not report it.
bool StartCompanionDetached(const std::wstring& exe, const std::wstring& arguments);

}  // namespace uninstall
