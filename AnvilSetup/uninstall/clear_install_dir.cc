#include "uninstall/clear_install_dir.h"

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "base/logging.h"
#include "base/utf_string_conversions.h"
#include "setup/setup_context.h"
#include "task/task_class_registry.h"
#include "util/file_util_win.h"
#include "util/removal_util_win.h"
#include "util/warden_util_win.h"

namespace uninstall {

namespace {

void DeleteTreeIfExists(const std::wstring& path) {
  if (setup_util::PathExists(path))
    setup_util::DeleteTree(path, true);
}

// Deletes a browser plug-in, or registers it for deletion at restart.
void DeletePlugin(const std::wstring& path, const char* name) {
  if (!setup_util::IsFile(path))
    return;
  LOG(INFO) << name << " file Exists";
  if (!setup_util::DeletePath(path)) {
    LOG(INFO) << "delete " << name << " file failed, delete after reboot";
    setup_util::DeleteAtRestart(path);
  }
}

void RemoveMsimg32(const std::wstring& install) {
  const std::wstring path = install + L"\\Bin\\msimg32.dll";
  if (!setup_util::IsFile(path))
    return;
  LOG(INFO) << "msimg32.dll Exists";
  if (setup_util::DeletePath(path))
    return;
  LOG(INFO) << "delete msimg32.dll failed";
  const std::wstring renamed =
      install + L"\\Bin\\msimg32" + std::to_wstring(GetTickCount()) + L".dll";
  if (!MoveFileW(path.c_str(), renamed.c_str())) {
    LOG(INFO) << "move msimg32.dll to " << base::WideToUTF8(renamed) << " failed";
    MoveFileExW(path.c_str(), renamed.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

}  // namespace

void ClearInstallDir::Run(task_object::RuntimeObject*) {
  const std::wstring roaming = setup_util::GetShellFolderPath(CSIDL_APPDATA);
  if (!roaming.empty()) {
    DeleteTreeIfExists(roaming + L"\\Corvane\\Tern\\AUTemp");
    DeleteTreeIfExists(roaming + L"\\Corvane\\Pelican\\webkit_cache");
    DeleteTreeIfExists(roaming + L"\\Corvane\\Pelican\\PluginCommon");
  }

  std::wstring install, previous;
  SetupContext::GetWStringValue("InstallPath", &install);
  SetupContext::GetWStringValue("PreviousInstallPath", &previous);
  install = setup_util::NormalizePath(install);
  previous = setup_util::NormalizePath(previous);

  if (install != previous) {
    if (!roaming.empty())
      DeleteTreeIfExists(roaming + L"\\Corvane\\Pelican\\PelicanCloud");
    if (!previous.empty() && setup_util::IsFile(previous + L"\\Bin\\PelicanCloud.dll"))
      setup_util::DeletePath(previous + L"\\Bin\\PelicanCloud.dll");
  }
  // An empty InstallPath names no folder: never look in the current directory.
  if (!install.empty())
    RemoveMsimg32(install);
  if (!previous.empty())
    setup_util::DeleteTree(previous + L"\\Plugin\\Com.Corvane.NetDisk", true);

  const std::wstring local = setup_util::GetShellFolderPath(CSIDL_LOCAL_APPDATA);
  if (!local.empty()) {
    const std::wstring plugins = local + L"\\Google\\Chrome\\Application\\plugins\\";
    DeletePlugin(plugins + L"npactivex.dll", "npactivex.dll");
    DeletePlugin(plugins + L"npchrome.dll", "npchrome.dll");
  }

  const std::wstring common = setup_util::CommonProgramFilesFolder();
  if (!common.empty()) {
    DeletePlugin(common + L"\\Corvane\\Npchrome\\npchrome.dll", "npchrome.dll");
    const std::wstring folder = common + L"\\Corvane\\npfencall";
    const std::wstring npfencall = folder + L"\\npfencall.dll";
    if (setup_util::IsFile(npfencall)) {
      LOG(INFO) << "npfencall.dll file Exists";
      if (setup_util::DeletePath(npfencall)) {
        RemoveDirectoryW(folder.c_str());
      } else {
        LOG(INFO) << "delete npfencall.dll file failed, delete after reboot";
        setup_util::DeleteAtRestart(npfencall);
        setup_util::DeleteAtRestart(folder);
      }
    }
  }

  if (!previous.empty()) {
    setup_util::DeleteTree(previous + L"\\Bin\\KSSSO", true);
    RemoveDirectoryW((previous + L"\\Bin").c_str());
    setup_util::DeleteTree(previous + L"\\Plugin\\Com.Corvane.Marl", true);
    setup_util::DeleteTree(previous + L"\\Plugin\\Com.Corvane.AudioVideo", true);
    RemoveDirectoryW((previous + L"\\Plugin").c_str());
  }
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::ClearInstallDir, ClearInstallDir)
