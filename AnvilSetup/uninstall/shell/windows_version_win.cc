#include "uninstall/shell/windows_version_win.h"

#include <windows.h>

namespace uninstall {

unsigned long WindowsMajorVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  return GetVersionExW(&info) ? info.dwMajorVersion : 0;
}

}  // namespace uninstall
