// DisableWarden and UnInstallWardenCore against the real product list of the prefix and the
// Warden stand-in: which commands run under the shared-component rule, the exact switches,
// failing and hanging commands, and the product registry helpers.
#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "base/scoped_handle_win.h"
#include "log_capture.h"
#include "removal_test_support.h"
#include "tern_test/scoped_temp_dir.h"
#include "uninstall/disable_warden.h"
#include "uninstall/uninstall_warden_core.h"
#include "util/warden_util_win.h"
#include "warden_fixture.h"

namespace {

using Lines = std::vector<std::string>;

bool Contains(const Lines& lines, const std::string& text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

struct RuleCase {
  const char* name;
  std::vector<std::wstring> products;
  bool product_info_present;
  int count;
  bool core_removed;
};

class SharedComponentRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(SharedComponentRuleTest, BothTasksFollowTheRule) {
  const RuleCase& c = GetParam();
  base::ShadowingAtExitManager at_exit;
  WardenFixture warden;
  ASSERT_TRUE(warden.InstallWarden());
  warden.SetProducts(c.products, c.product_info_present);
  LogCapture log;

  uninstall::DisableWarden().Run(nullptr);
  pre_install::UnInstallWardenCore().Run(nullptr);

  // The version in WardenVi.dat cannot be deciphered here, so "/qd unload" never runs.
  Lines expected = {"/pfc on /3", "/fp disable /twardencore /3"};
  if (c.core_removed)
    expected.push_back("/utwardencore /3");
  EXPECT_EQ(expected, warden.Calls());
  Lines lines = log.Messages();
  EXPECT_TRUE(Contains(lines, "DisableWarden::Run(), product count: " + std::to_string(c.count)));
  EXPECT_TRUE(
      Contains(lines, "UnInstallWardenCore::Run(), product count: " + std::to_string(c.count)));
  EXPECT_TRUE(Contains(lines, "GetWardenFilePath: " + removal_test::Utf8(warden.warden_path())));
}

INSTANTIATE_TEST_SUITE_P(
    Products,
    SharedComponentRuleTest,
    ::testing::Values(RuleCase{"OnlyThisProduct", {L"1060001"}, true, 1, true},
                      RuleCase{"AnotherProductToo", {L"1000001", L"1060001"}, true, 2, false},
                      RuleCase{"OnlyAnotherProduct", {L"1000101"}, true, 1, false},
                      RuleCase{"EmptyList", {}, true, 0, true},
                      RuleCase{"NoList", {}, false, 0, true}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(WardenVersion, UnloadNeedsThreeFiveTwoZero) {
  EXPECT_FALSE(setup_util::WardenVersionPermitsUnload(0x030501FF));
  EXPECT_TRUE(setup_util::WardenVersionPermitsUnload(0x03050200));
  EXPECT_TRUE(setup_util::WardenVersionPermitsUnload(0x04000000));
  EXPECT_FALSE(setup_util::WardenVersionPermitsUnload(0));
}

TEST(WardenVersion, UnreadableWithOrWithoutTheDataFile) {
  base::ShadowingAtExitManager at_exit;
  WardenFixture warden;
  uint32_t version = 7;
  EXPECT_FALSE(setup_util::ReadWardenVersion(warden.warden_path(), &version));
  EXPECT_EQ(0u, version);
  ASSERT_TRUE(warden.InstallWarden());
  EXPECT_FALSE(setup_util::ReadWardenVersion(warden.warden_path(), &version));
  EXPECT_EQ(0u, version);
}

TEST(DisableWarden, HangingCommandIsTerminatedAndTheTaskGoesOn) {
  base::ShadowingAtExitManager at_exit;
  WardenFixture warden;
  ASSERT_TRUE(warden.InstallWarden("/fp disable=hang\n/pfc on=7\n"));
  warden.SetProducts({L"1060001"});
  LogCapture log;
  DWORD start = GetTickCount();
  uninstall::DisableWarden().Run(nullptr);
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 14500u);  // the 15-second limit of "/fp disable"
  Lines lines = log.Messages();
  EXPECT_TRUE(Contains(lines, "warden write update flag error:7"));
  EXPECT_TRUE(Contains(lines, "disable qd error timeout!"));
  // After the time-out the task went on to the product count.
  EXPECT_TRUE(Contains(lines, "DisableWarden::Run(), product count: 1"));
  EXPECT_EQ((Lines{"/pfc on /3", "/fp disable /twardencore /3"}), warden.Calls());
  // The hung copy is gone: its image can be deleted again.
  bool deleted = false;
  for (int i = 0; i < 100 && !deleted; ++i) {
    deleted = DeleteFileW(warden.warden_path().c_str()) != FALSE;
    if (!deleted)
      Sleep(50);
  }
  EXPECT_TRUE(deleted);
}

TEST(DisableWarden, MissingWardenEndsTheTaskWithItsLines) {
  base::ShadowingAtExitManager at_exit;
  WardenFixture warden;
  warden.SetProducts({L"1060001"});
  LogCapture log;
  uninstall::DisableWarden().Run(nullptr);
  pre_install::UnInstallWardenCore().Run(nullptr);
  Lines lines = log.Messages();
  EXPECT_TRUE(Contains(lines, "warden not existed:" + removal_test::Utf8(warden.warden_path())));
  EXPECT_TRUE(Contains(lines, "WardenWriteUpdateFlag(true) false"));
  EXPECT_TRUE(Contains(lines, "DisableWarden task failed, warden not existed:"));
  EXPECT_FALSE(Contains(lines, "DisableWarden::Run(), product count: 1"));
  EXPECT_TRUE(warden.Calls().empty());
}

TEST(WardenCommands, ExitCodesAndLaunchFailuresAreLogged) {
  base::ShadowingAtExitManager at_exit;
  WardenFixture warden;
  ASSERT_TRUE(warden.InstallWarden("/qd unload=3\n/utwardencore=4\n"));
  LogCapture log;
  EXPECT_EQ(setup_util::WardenRunResult::kExitCodeNotZero,
            setup_util::RunWardenCommand(warden.warden_path(), L"/qd unload", 15000,
                                         setup_util::kWardenUnloadLines));
  EXPECT_EQ(setup_util::WardenRunResult::kExitCodeNotZero,
            setup_util::RunWardenCommand(warden.warden_path(), L"/utwardencore /3", 15000,
                                         setup_util::kWardenUninstallCoreLines));
  EXPECT_EQ(setup_util::WardenRunResult::kSucceeded,
            setup_util::RunWardenCommand(warden.warden_path(), L"/irwardencore /fp enable /3",
                                         15000, setup_util::kWardenInstallCoreLines));
  EXPECT_EQ(setup_util::WardenRunResult::kLaunchFailed,
            setup_util::RunWardenCommand(warden.warden_path() + L".missing", L"/pfc off /3", 15000,
                                         setup_util::kWardenUpdateFlagLines));
  EXPECT_EQ(setup_util::WardenRunResult::kLaunchFailed,
            setup_util::RunWardenCommand(warden.warden_path() + L".missing", L"/fp disable", 15000,
                                         setup_util::kWardenDisableLines));
  EXPECT_TRUE(setup_util::WardenWriteUpdateFlag(false));
  EXPECT_TRUE(setup_util::WardenInstallCoreService());
  EXPECT_EQ((Lines{"unload qd error:3", "stop and uninstall wardencore error:4",
                   "launch process failed, write update flag error:2",
                   "launch process failed, disable qd error"}),
            log.Messages());
  EXPECT_EQ((Lines{"/qd unload", "/utwardencore /3", "/irwardencore /fp enable /3", "/pfc off /3",
                   "/irwardencore /fp enable /3"}),
            warden.Calls());
}

TEST(WardenProducts, RegisterUnregisterAndRefresh) {
  base::ShadowingAtExitManager at_exit;
  WardenFixture warden;
  warden.SetProducts({}, false);
  tern_test::ScopedTempDir dir;
  std::wstring pelican = dir.Join(L"Pelican");
  removal_test::WriteText(pelican + L"\\Bin\\Pelican.exe");
  LogCapture log;

  EXPECT_FALSE(setup_util::RegisterWardenProduct(dir.Join(L"missing"), setup_util::kProductTern));
  EXPECT_TRUE(setup_util::RegisterWardenProduct(dir.path() + L"\\.\\Pelican\\\\", 0x01060001));
  EXPECT_EQ(std::vector<std::wstring>{L"1060001"}, warden.Products());
  EXPECT_FALSE(setup_util::OtherWardenProductRegistered());

  // A product of the current setup framework missing from the list is added by the refresh.
  base::ScopedHKEY key;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Pelican2009", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
  DWORD one = 1;
  RegSetValueExW(key.Get(), L"AnvilSetup2012", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
  std::wstring install = pelican + L"\\";
  RegSetValueExW(key.Get(), L"Install", 0, REG_SZ, reinterpret_cast<const BYTE*>(install.c_str()),
                 static_cast<DWORD>((install.size() + 1) * sizeof(wchar_t)));
  setup_util::RefreshWardenProductInfo();
  SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Pelican2009");
  EXPECT_EQ(2, setup_util::WardenProductCount());
  EXPECT_TRUE(setup_util::OtherWardenProductRegistered());

  EXPECT_TRUE(setup_util::UnregisterWardenProduct());
  EXPECT_TRUE(setup_util::UnregisterWardenProduct());  // already gone: still fine
  EXPECT_EQ(std::vector<std::wstring>{L"1000001"}, warden.Products());

  Lines lines = log.Messages();
  std::string normalized = removal_test::Utf8(pelican) + "\\";
  EXPECT_TRUE(
      Contains(lines, "error, dir not existed: " + removal_test::Utf8(dir.Join(L"missing"))));
  EXPECT_TRUE(Contains(lines, "id:  1060001"));
  EXPECT_TRUE(Contains(lines, "nor: " + normalized));
  EXPECT_TRUE(Contains(lines, "id:  1000001"));
  EXPECT_TRUE(Contains(lines, "Product info refreshed. " + removal_test::Utf8(pelican)));
  EXPECT_TRUE(Contains(lines, "reg delete value failed: 2"));
}

}  // namespace
