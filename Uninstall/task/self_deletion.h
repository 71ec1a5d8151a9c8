// The running uninstaller cannot delete itself: it is moved into the folder of removed
// files when there is one and registered for deletion at the next restart.
#pragma once

#include <string>

namespace uninstall {

// `temp_folder` empty: the executable is registered where it is. Returns the path that was
// registered (empty when even that failed).
std::wstring ScheduleSelfDeletion(const std::wstring& exe_path, const std::wstring& temp_folder);

}  // namespace uninstall
