#include "uninstall/shell/fix_taskbar.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "base/logging.h"
#include "base/scoped_handle_win.h"
#include "setup/setup_context.h"
#include "task/task_class_registry.h"
#include "uninstall/shell/path_containment.h"
#include "uninstall/shell/windows_version_win.h"

namespace after_install {

namespace {

// Read once: the version does not change while the process runs.
unsigned long CachedWindowsMajorVersion() {
  static const unsigned long major = uninstall::WindowsMajorVersion();
  return major;
}

const char* MuiCacheKey(unsigned long major) {
  if (major == 5)
    return "Software\\Microsoft\\Windows\\ShellNoRoam\\MuiCache";
  if (major >= 6)
    return "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
  return nullptr;
}

}  // namespace

void FixTaskbar::Run(task_object::RuntimeObject*) {
  const char* key_name = MuiCacheKey(CachedWindowsMajorVersion());
  if (!key_name)
    return;
  std::wstring wide_key_name(key_name, key_name + strlen(key_name));
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, wide_key_name.c_str(), 0, KEY_READ | KEY_SET_VALUE,
                    key.Receive()) != ERROR_SUCCESS) {
    LOG(ERROR) << "open reg key: " << key_name << " failed";
    return;
  }
  std::wstring install_dir;
  SetupContext::GetWStringValue("PreviousInstallPath", &install_dir);
  DWORD count = 0;
  DWORD longest_name = 0;
  if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longest_name, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return;
  }
  std::vector<wchar_t> name(longest_name + 1);
  // Backwards, so that deleting a value does not shift one that is still to come.
  for (DWORD index = count; index-- > 0;) {
    DWORD name_size = static_cast<DWORD>(name.size());
    DWORD type = 0;
    if (RegEnumValueW(key.Get(), index, name.data(), &name_size, nullptr, &type, nullptr,
                      nullptr) != ERROR_SUCCESS) {
      continue;
    }
    std::wstring value_name(name.data(), name_size);
    if (type == REG_SZ && uninstall::IsPathInsideDirectory(value_name, install_dir))
      RegDeleteValueW(key.Get(), value_name.c_str());
  }
}

}  // namespace after_install

REGISTER_TASK_CLASS(after_install::FixTaskbar, FixTaskbar)
