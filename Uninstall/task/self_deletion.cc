#include "task/self_deletion.h"

#include <windows.h>

#include "base/logging.h"
#include "util/removal_util_win.h"

namespace uninstall {

std::wstring ScheduleSelfDeletion(const std::wstring& exe_path, const std::wstring& temp_folder) {
  std::wstring registered = exe_path;
  bool is_dir = false;
  std::wstring moved;
  if (!temp_folder.empty() &&
      setup_util::MakeMoveAsideName(exe_path, temp_folder, &is_dir, &moved)) {
    DCHECK(is_dir == false);
    if (MoveFileW(exe_path.c_str(), moved.c_str())) {
      if (DeleteFileW(moved.c_str()))
        return moved;
      registered = moved;
    }
  }
  // Also when no move-aside name was found: an uninstaller left behind for good is worse
  // than one deleted in place at restart.
  return setup_util::DeleteAtRestart(registered) ? registered : std::wstring();
}

}  // namespace uninstall
