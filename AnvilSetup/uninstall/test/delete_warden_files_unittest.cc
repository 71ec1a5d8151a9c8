// DeleteWardenFiles with the real service control manager (a WardenCore stand-in service that
// stops, and one that ignores the stop), the Warden stand-in and the 64-bit system layout; and
// ClearInstallDir's leftovers, locked plug-ins and folders that stay when in use.
#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "base/scoped_handle_win.h"
#include "log_capture.h"
#include "removal_test_support.h"
#include "setup/setup_context.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"
#include "uninstall/clear_install_dir.h"
#include "uninstall/delete_warden_files.h"
#include "util/removal_util_win.h"
#include "util/warden_service_win.h"
#include "util/warden_util_win.h"
#include "warden_fixture.h"
#include "util/file_util_win.h"

namespace {

using Lines = std::vector<std::string>;
using removal_test::Exists;
using removal_test::WriteText;

bool Contains(const Lines& lines, const std::string& text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

std::wstring SystemFolder() {
  wchar_t buffer[MAX_PATH] = {};
  GetSystemDirectoryW(buffer, MAX_PATH);
  return buffer;
}

bool KeyExists(HKEY root, const std::wstring& subkey) {
  base::ScopedHKEY key;
  return RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

void CreateKey(HKEY root, const std::wstring& subkey) {
  base::ScopedHKEY key;
  RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                  nullptr);
}

struct ComponentFiles {
  std::wstring install, common, common_data, roaming, drivers;
  std::vector<std::wstring> files;

  explicit ComponentFiles(const std::wstring& install_dir) : install(install_dir) {
    common = setup_util::CommonProgramFilesFolder();
    common_data = setup_util::GetShellFolderPath(CSIDL_COMMON_APPDATA);
    roaming = setup_util::GetShellFolderPath(CSIDL_APPDATA);
    drivers = SystemFolder() + L"\\drivers\\";
    const std::wstring sieve = common_data + L"\\Corvane\\Warden\\Sieve\\";
    files = {install + L"\\Bin\\Warden\\Bin\\x.dll",
             common + L"\\Corvane\\Warden\\Data\\d.dat",
             sieve + L"SieveEngine.dll",
             sieve + L"config.dat",
             sieve + L"sig.dat",
             sieve + L"FenLSig.dat",
             sieve + L"Bin\\SieveEngine.dll",
             sieve + L"Bin\\FenLogic.dll",
             sieve + L"Misc\\Sieve\\config.dat",
             sieve + L"Misc\\Sieve\\sig.dat",
             sieve + L"Misc\\Sieve\\FenLSig.dat",
             common_data + L"\\Corvane\\Warden\\AuTemp\\t.tmp",
             common_data + L"\\Corvane\\Warden\\atf.dat",
             drivers + L"WardenX64.sys",
             roaming + L"\\Corvane\\Pelican\\PelicanAntiPhishing\\vorurllib.bin",
             roaming + L"\\Corvane\\Pelican\\Warden\\Sieve\\SieveEngine.dll",
             roaming + L"\\Corvane\\Pelican\\Warden\\Sieve\\sig.dat"};
    for (const std::wstring& file : files)
      WriteText(file);
    // 32-bit system drivers stay on a 64-bit system.
    WriteText(drivers + L"Warden.sys");
    CreateKey(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\WardenX64\\Sub");
    CreateKey(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Warden");
    CreateKey(HKEY_CLASSES_ROOT, L"Keepwell.KeepwellBHO\\CLSID");
    CreateKey(HKEY_CURRENT_USER,
              L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\"
              L"{DDD362CF-523B-4BC9-8FDC-58F93B6BC945}\\iexplore");
  }
  ~ComponentFiles() {
    for (const std::wstring& file : files)
      DeleteFileW(file.c_str());
    DeleteFileW((drivers + L"Warden.sys").c_str());
    tern_test::RemoveTree(common_data + L"\\Corvane\\Warden");
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\WardenX64");
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Warden");
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"Keepwell.KeepwellBHO");
  }
};

void SetInstall(const std::wstring& install) {
  SetupContext::SetStringValue("PreviousInstallType", "NewSetup");
  SetupContext::SetWStringValue("PreviousInstallPath", install);
}

TEST(DeleteWardenFiles, SecondProductKeepsEverything) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir root;
  WardenFixture warden;
  ASSERT_TRUE(warden.InstallWarden());
  warden.SetProducts({L"1060001", L"1000001"});
  ComponentFiles component(root.Join(L"Tern"));
  SetInstall(root.Join(L"Tern"));
  LogCapture log;
  uninstall::DeleteWardenFiles().Run(nullptr);
  for (const std::wstring& file : component.files)
    EXPECT_TRUE(Exists(file)) << removal_test::Utf8(file);
  EXPECT_TRUE(Exists(warden.warden_path()));
  Lines lines = log.Messages();
  EXPECT_TRUE(Contains(lines, "doDeleteWardenFiles(), product count: 2"));
  EXPECT_TRUE(
      Contains(lines, "doDeleteWardenFiles returned, no delete, there's still other product:2"));
  EXPECT_TRUE(warden.Calls().empty());
}

TEST(DeleteWardenFiles, LastProductStopsTheServiceAndRemovesTheComponent64) {
  ASSERT_TRUE(setup_util::IsWindows64Bit());
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir root;
  WardenFixture warden;
  ScopedWardenCoreService service(false);
  ASSERT_TRUE(service.running());
  ASSERT_TRUE(warden.InstallWarden());
  warden.SetProducts({L"1060001"});
  ComponentFiles component(root.Join(L"Tern"));
  SetInstall(root.Join(L"Tern") + L"\\");
  LogCapture log;
  uninstall::DeleteWardenFiles().Run(nullptr);

  for (const std::wstring& file : component.files)
    EXPECT_FALSE(Exists(file)) << removal_test::Utf8(file);
  EXPECT_FALSE(Exists(component.install + L"\\Bin\\Warden"));
  EXPECT_FALSE(Exists(setup_util::CommonProgramFilesFolder() + L"\\Corvane\\Warden"));
  EXPECT_FALSE(Exists(component.common_data + L"\\Corvane\\Warden\\Sieve\\Misc"));
  EXPECT_TRUE(Exists(component.drivers + L"Warden.sys"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\WardenX64"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Warden"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Keepwell.KeepwellBHO"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER,
                         L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\"
                         L"{DDD362CF-523B-4BC9-8FDC-58F93B6BC945}"));
  EXPECT_FALSE(WardenCoreServiceExists());
  EXPECT_EQ((Lines{"/3 /utwardencore", "/3 /qd unload"}), warden.Calls());
  Lines lines = log.Messages();
  for (const char* line :
       {"doDeleteWardenFiles(), product count: 1", "UnInstWardenCore : Succeeded stopping service!",
        "UnInstWardenCore : Succeeded deleting service !", "remove wardencore: 1",
        "/utwardencore /3", "/qd unload /3",
        "deleted: SYSTEM\\CurrentControlSet\\Services\\WardenX64", "delete SieveEngine.dll 1",
        "delete config.dat 0", "delete sig.dat failed!1", "delete FenLSig.dat failed!0"}) {
    EXPECT_TRUE(Contains(lines, line)) << line;
  }
}

TEST(WardenCoreService, ServiceThatIgnoresTheStopIsDeletedAfterTheLimit) {
  base::ShadowingAtExitManager at_exit;
  ScopedWardenCoreService service(true);
  ASSERT_TRUE(service.running());
  LogCapture log;
  EXPECT_TRUE(setup_util::StopAndDeleteWardenCoreService(1000));
  Lines lines = log.Messages();
  EXPECT_TRUE(Contains(lines, "UnInstWardenCore : Stopping service timeout!"));
  EXPECT_TRUE(Contains(lines, "UnInstWardenCore : Service couldn't be stopped (0:4)!"));
  EXPECT_TRUE(Contains(lines, "UnInstWardenCore : Succeeded deleting service !"));
}

TEST(WardenCoreService, MissingServiceIsSkipped) {
  base::ShadowingAtExitManager at_exit;
  LogCapture log;
  EXPECT_FALSE(setup_util::StopAndDeleteWardenCoreService());
  EXPECT_EQ(Lines{"UnInstWardenCore : Can't find service, skip this step."}, log.Messages());
}

TEST(ClearInstallDir, RemovesLeftoversAndKeepsFoldersInUse) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir root, cwd;
  const std::wstring install = root.Join(L"Tern");
  const std::wstring roaming = setup_util::GetShellFolderPath(CSIDL_APPDATA);
  const std::wstring plugins = setup_util::GetShellFolderPath(CSIDL_LOCAL_APPDATA) +
                               L"\\Google\\Chrome\\Application\\plugins\\";
  const std::wstring common = setup_util::CommonProgramFilesFolder();
  const std::vector<std::wstring> gone = {roaming + L"\\Corvane\\Tern\\AUTemp\\a.tmp",
                                          roaming + L"\\Corvane\\Pelican\\webkit_cache\\c",
                                          roaming + L"\\Corvane\\Pelican\\PluginCommon\\p",
                                          roaming + L"\\Corvane\\Pelican\\PelicanCloud\\c",
                                          install + L"\\Bin\\PelicanCloud.dll",
                                          install + L"\\Plugin\\Com.Corvane.NetDisk\\n.dll",
                                          plugins + L"npactivex.dll",
                                          common + L"\\Corvane\\npfencall\\npfencall.dll",
                                          install + L"\\Bin\\KSSSO\\s.dll",
                                          install + L"\\Plugin\\Com.Corvane.Marl\\m.dll",
                                          install + L"\\Plugin\\Com.Corvane.AudioVideo\\v.dll"};
  for (const std::wstring& file : gone)
    WriteText(file);
  WriteText(install + L"\\Bin\\keep.dll");
  WriteText(install + L"\\Plugin\\Other\\o.dll");
  WriteText(plugins + L"npchrome.dll");
  removal_test::LockedFile locked(plugins + L"npchrome.dll");
  ASSERT_TRUE(locked.locked());
  // An empty InstallPath must not reach the folder the process happens to run in.
  WriteText(cwd.Join(L"Bin\\msimg32.dll"));
  wchar_t previous_cwd[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous_cwd);
  SetCurrentDirectoryW(cwd.path().c_str());
  SetupContext::SetWStringValue("PreviousInstallPath", install);
  LogCapture log;
  uninstall::ClearInstallDir().Run(nullptr);
  SetCurrentDirectoryW(previous_cwd);

  for (const std::wstring& file : gone)
    EXPECT_FALSE(Exists(file)) << removal_test::Utf8(file);
  EXPECT_FALSE(Exists(common + L"\\Corvane\\npfencall"));
  EXPECT_TRUE(Exists(install + L"\\Bin\\keep.dll"));
  EXPECT_TRUE(Exists(install + L"\\Plugin\\Other\\o.dll"));
  EXPECT_TRUE(Exists(cwd.Join(L"Bin\\msimg32.dll")));
  std::vector<std::wstring> pending = removal_test::PendingDeletes();
  removal_test::ForgetPendingUnder(plugins);
  EXPECT_NE(pending.end(), std::find(pending.begin(), pending.end(), plugins + L"npchrome.dll"));
  Lines lines = log.Messages();
  for (const char* line :
       {"npactivex.dll file Exists", "npchrome.dll file Exists",
        "delete npchrome.dll file failed, delete after reboot", "npfencall.dll file Exists"}) {
    EXPECT_TRUE(Contains(lines, line)) << line;
  }
  EXPECT_FALSE(Contains(lines, "msimg32.dll Exists"));
}

TEST(ClearInstallDir, EmptyBinAndPluginFoldersGo) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir root;
  const std::wstring install = root.Join(L"Tern");
  WriteText(install + L"\\Bin\\KSSSO\\s.dll");
  WriteText(install + L"\\Plugin\\Com.Corvane.Marl\\m.dll");
  WriteText(install + L"\\Bin\\msimg32.dll");
  SetupContext::SetWStringValue("PreviousInstallPath", install);
  SetupContext::SetWStringValue("InstallPath", install + L"\\");
  LogCapture log;
  uninstall::ClearInstallDir().Run(nullptr);
  EXPECT_FALSE(Exists(install + L"\\Bin"));
  EXPECT_FALSE(Exists(install + L"\\Plugin"));
  EXPECT_TRUE(Contains(log.Messages(), "msimg32.dll Exists"));
}

}  // namespace
