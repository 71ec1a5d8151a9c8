#include "uninstall_plume.h"

#include <windows.h>

#include "base/logging.h"
#include "base/scoped_handle_win.h"
#include "companion_launch_win.h"
#include "task/task_class_registry.h"
#include "util/registry_util_win.h"

namespace uninstall {

void UninstallPlume::Run(task_object::RuntimeObject*) {
  // The shipped uninstaller is 32-bit: its App Paths entry lives in the 32-bit view.
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Plume.exe", 0,
                    KEY_READ | KEY_WOW64_32KEY, key.Receive()) != ERROR_SUCCESS) {
    return;
  }
  std::wstring folder;
  if (!setup_util::ReadRegistryString(key.Get(), L"PlumePath", &folder))
    return;
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
    folder.pop_back();
  std::wstring uninstaller = folder + L"\\uninst.exe";
  if (!CompanionFileExists(uninstaller)) {
    LOG(WARNING) << "uninst.exe not exist.";
    return;
  }
  StartCompanionDetached(uninstaller, L"/S");
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::UninstallPlume, UninstallPlume)
