#include "uninstall_mini_dl.h"

#include <windows.h>

#include <objbase.h>

#include <cwchar>

#include "base/logging.h"
#include "base/scoped_handle_win.h"
#include "companion_launch_win.h"
#include "local_server_path.h"
#include "task/task_class_registry.h"
#include "util/registry_util_win.h"

namespace uninstall {

namespace {

// The local-server value registered for the ProgID; empty when any step fails.
std::wstring ReadLocalServerPath() {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"PelicanMiniDL.Downloader.1", &clsid)))
    return std::wstring();
  wchar_t clsid_text[40];
  if (StringFromGUID2(clsid, clsid_text, 40) == 0)
    return std::wstring();
  wchar_t key_name[MAX_PATH];
  std::swprintf(key_name, MAX_PATH, L"CLSID\\%ls\\LocalServer32", clsid_text);
  // The shipped uninstaller is 32-bit and sees the 32-bit registration.
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key_name, 0, KEY_READ | KEY_WOW64_32KEY, key.Receive()) !=
      ERROR_SUCCESS) {
    return std::wstring();
  }
  std::wstring value;
  if (!setup_util::ReadRegistryString(key.Get(), nullptr, &value) || value.size() >= MAX_PATH)
    return std::wstring();
  return value;
}

}  // namespace

void UninstallMiniDl::Run(task_object::RuntimeObject*) {
  std::wstring path = StripSurroundingQuotes(ReadLocalServerPath());
  if (path.empty() || !CompanionFileExists(path)) {
    LOG(WARNING) << "minidl.exe not exist.";
    return;
  }
  StartCompanionDetached(path, L"/PrepareUninstall");
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::UninstallMiniDl, UninstallMiniDl)
