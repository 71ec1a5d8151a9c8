#include "task/get_uninstall_environment.h"

#include <windows.h>

#include <string>

#include "base/logging.h"
#include "base/scoped_handle_win.h"
#include "setup/setup_context.h"
#include "task/task_class_registry.h"
#include "util/registry_util_win.h"

namespace uninstall {

namespace {

const wchar_t kClientKey[] = L"SOFTWARE\\Corvane\\Tern";

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Refuse(const char* reason) {
  SetupContext::SetStringValue("NeedUnistall", "false");
  LOG(INFO) << reason;
}

// True when the backup copy of Uninstall.xml exists under SetupTempPath.
bool BackupDescriptionExists() {
  base::ScopedHKEY key;
  std::wstring version;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Tern", 0, KEY_READ, key.Receive()) !=
          ERROR_SUCCESS ||
      !setup_util::ReadRegistryString(key.Get(), L"version", &version) || version.empty()) {
    return false;
  }
  std::wstring temp;
  // Without a temporary folder there is no backup to look for.
  if (SetupContext::GetWStringValue("SetupTempPath", &temp) && !temp.empty() &&
      FileExists(temp + L"\\Uninstall\\" + version + L"\\Uninstall.xml")) {
    return true;
  }
  LOG(INFO) << "Uninstall.xml backup path not exists";
  return false;
}

}  // namespace

void GetUninstallEnvironment::Run(task_object::RuntimeObject*) {
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClientKey, 0, KEY_QUERY_VALUE, key.Receive()) !=
      ERROR_SUCCESS) {
    Refuse("HKEY_LOCAL_MACHIN\\SOFTWARE\\Corvane\\Pelican2009 open fail");
    return;
  }
  std::wstring install;
  if (!setup_util::ReadRegistryString(key.Get(), L"Install", &install)) {
    Refuse("HKEY_LOCAL_MACHIN\\SOFTWARE\\Corvane\\Pelican2009\\Install read fail");
    return;
  }
  if (install.empty()) {
    Refuse("install path empty");
    return;
  }
  if (!DirectoryExists(install)) {
    Refuse("install path not exists");
    return;
  }
  if (!FileExists(install + L"\\Uninstall.xml")) {
    SetupContext::SetStringValue("NeedUnistall", "false");
    LOG(INFO) << "Uninstall.xml path not exists";
    if (!BackupDescriptionExists())
      return;
  }
  std::wstring version;
  if (!setup_util::ReadRegistryString(key.Get(), L"version", &version)) {
    Refuse("HKEY_LOCAL_MACHIN\\SOFTWARE\\Corvane\\Pelican2009\\version read fail");
    return;
  }
  if (version.empty()) {
    Refuse("version empty");
    return;
  }
  SetupContext::SetWStringValue("PreviousVersion", version);
  std::wstring report_version;
  if (!setup_util::ReadRegistryString(key.Get(), L"rversion", &report_version))
    report_version = version;
  SetupContext::SetWStringValue("UninstallReportVersion", report_version);
  DWORD new_setup = 0;
  if (!setup_util::ReadRegistryDword(key.Get(), L"AnvilSetup2012", &new_setup)) {
    Refuse("HKEY_LOCAL_MACHIN\\SOFTWARE\\Corvane\\Pelican2009 read fail");
    return;
  }
  if (new_setup == 1) {
    SetupContext::SetStringValue("PreviousInstallType", "NewSetup");
    SetupContext::SetWStringValue("PreviousInstallPath", install);
    SetupContext::SetStringValue("NeedUnistall", "true");
  }
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::GetUninstallEnvironment, GetUninstallEnvironment)
