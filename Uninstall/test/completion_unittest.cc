// The protection component handed back to the remaining products, the uninstaller's own
// deletion and the removal of the folder of removed files, against the Warden stand-in, real
// files, a running program and the session manager's pending renames (saved and put back
// around each test).
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "log_capture.h"
#include "removal_test_support.h"
#include "setup/setup_context.h"
#include "task/complete_uninstall.h"
#include "task/clear_uninstall_temp_dir.h"
#include "task/self_deletion.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"
#include "warden_fixture.h"

namespace {

using removal_test::Exists;
using removal_test::PendingDeletes;
using removal_test::ScopedPendingRenames;

// A copy of a long-lived test program, running from `path` until the object goes away:
// like the uninstaller itself, it can be renamed but not deleted.
class RunningCopy {
 public:
  RunningCopy(const std::wstring& path, const tern_test::ScopedTempDir& scratch) {
    started_ =
        CopyFileW((tern_test::ExeDir() + L"\\stats_server.exe").c_str(), path.c_str(), FALSE) &&
        process_.Start(path, tern_test::QuoteArg(L"--dir=" + scratch.path()) + L" --port=0");
    DWORD start = GetTickCount();
    while (started_ && !Exists(scratch.Join(L"ready")) && GetTickCount() - start < 10000)
      Sleep(10);
    started_ = started_ && Exists(scratch.Join(L"ready"));
  }
  bool started() const { return started_; }

 private:
  tern_test::ScopedProcess process_;
  bool started_ = false;
};

TEST(SelfDeletionTest, RunningProgramMovedIntoTempFolderAndRegistered) {
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir app, temp, scratch;
  std::wstring exe = app.Join(L"Uninstall.exe");
  RunningCopy running(exe, scratch);
  ASSERT_TRUE(running.started());
  std::wstring registered = uninstall::ScheduleSelfDeletion(exe, temp.path());
  EXPECT_EQ(temp.Join(L"~Uninstall_1.exe"), registered);
  EXPECT_FALSE(Exists(exe));
  EXPECT_TRUE(Exists(registered));
  EXPECT_EQ(std::vector<std::wstring>{registered}, PendingDeletes());
}

TEST(SelfDeletionTest, WithoutTempFolderRegisteredInPlace) {
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir app, scratch;
  std::wstring exe = app.Join(L"Uninstall.exe");
  RunningCopy running(exe, scratch);
  ASSERT_TRUE(running.started());
  EXPECT_EQ(exe, uninstall::ScheduleSelfDeletion(exe, L""));
  EXPECT_TRUE(Exists(exe));
  EXPECT_EQ(std::vector<std::wstring>{exe}, PendingDeletes());
}

TEST(SelfDeletionTest, FailedMoveRegistersInPlace) {
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir app, scratch;
  std::wstring exe = app.Join(L"Uninstall.exe");
  RunningCopy running(exe, scratch);
  ASSERT_TRUE(running.started());
  // Same drive, but the folder is gone: the move fails.
  EXPECT_EQ(exe, uninstall::ScheduleSelfDeletion(exe, app.Join(L"no such folder")));
  EXPECT_TRUE(Exists(exe));
  EXPECT_EQ(std::vector<std::wstring>{exe}, PendingDeletes());
}

TEST(SelfDeletionTest, ProgramThatCanGoIsDeletedAtOnce) {
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir app, temp;
  std::wstring exe = app.Join(L"Uninstall.exe");
  ASSERT_TRUE(tern_test::WriteFileBytes(exe, "MZ"));
  ASSERT_TRUE(tern_test::WriteFileBytes(temp.Join(L"~Uninstall_1.exe"), "MZ"));
  EXPECT_EQ(temp.Join(L"~Uninstall_2.exe"), uninstall::ScheduleSelfDeletion(exe, temp.path()));
  EXPECT_FALSE(Exists(exe));
  EXPECT_FALSE(Exists(temp.Join(L"~Uninstall_2.exe")));
  EXPECT_TRUE(PendingDeletes().empty());
}

TEST(ClearUninstallTempDirTest, RemovesTheFolder) {
  base::ShadowingAtExitManager at_exit;
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir root;
  std::wstring folder = root.Join(L"pelican_setup_42");
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\~Bin_1").c_str(), nullptr);
  tern_test::WriteFileBytes(folder + L"\\~Bin_1\\core.dll", "x");
  tern_test::WriteFileBytes(folder + L"\\~Tern_1.exe", "x");
  SetupContext::SetWStringValue("DeleteFileTempPath", folder);
  after_install::ClearUninstallTempDir().Run(nullptr);
  EXPECT_FALSE(Exists(folder));
  EXPECT_TRUE(PendingDeletes().empty());
}

TEST(ClearUninstallTempDirTest, WithoutFolderDoesNothing) {
  base::ShadowingAtExitManager at_exit;
  ScopedPendingRenames pending;
  after_install::ClearUninstallTempDir().Run(nullptr);
  EXPECT_TRUE(PendingDeletes().empty());
}

// The moved uninstaller is still running: the folder's restart entry follows the entries
// for what is inside it, so the system empties it before removing it.
TEST(ClearUninstallTempDirTest, FolderRegisteredAfterItsContents) {
  base::ShadowingAtExitManager at_exit;
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir root, app, scratch;
  std::wstring folder = root.Join(L"pelican_setup_7");
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\~Data_1").c_str(), nullptr);
  std::wstring exe = app.Join(L"Uninstall.exe");
  RunningCopy running(exe, scratch);
  ASSERT_TRUE(running.started());
  std::wstring moved = uninstall::ScheduleSelfDeletion(exe, folder);
  ASSERT_EQ(folder + L"\\~Uninstall_1.exe", moved);
  SetupContext::SetWStringValue("DeleteFileTempPath", folder);
  after_install::ClearUninstallTempDir().Run(nullptr);
  EXPECT_TRUE(Exists(moved));
  EXPECT_FALSE(Exists(folder + L"\\~Data_1"));
  std::vector<std::wstring> deletes = PendingDeletes();
  ASSERT_FALSE(deletes.empty());
  EXPECT_EQ(moved, deletes.front());
  EXPECT_EQ(folder, deletes.back());
}

struct HandBackCase {
  const char* name;
  std::vector<std::wstring> products;  // ProductInfo before; empty with `present` false: no key
  bool present;
  bool warden_installed;
  std::vector<std::string> calls;  // Warden.exe switches, in order
  std::vector<std::wstring> products_after;
  std::vector<std::string> lines;  // log messages expected among the task's
};

class HandBackTest : public ::testing::TestWithParam<HandBackCase> {};

// Another product keeps the component: its core service is installed and started again and
// the update flag switched off; the last product leaves the component alone.
TEST_P(HandBackTest, ReinstallsTheCoreServiceOnlyForRemainingProducts) {
  const HandBackCase& c = GetParam();
  base::ShadowingAtExitManager at_exit;
  WardenFixture warden;
  if (c.warden_installed) {
    ASSERT_TRUE(warden.InstallWarden());
  }
  warden.SetProducts(c.products, c.present);
  LogCapture log;
  uninstall::HandBackWardenComponent();
  EXPECT_EQ(c.calls, warden.Calls());
  EXPECT_EQ(c.products_after, warden.Products());
  std::vector<std::string> messages = log.Messages();
  for (const std::string& line : c.lines) {
    EXPECT_NE(messages.end(), std::find_if(messages.begin(), messages.end(),
                                           [&line](const std::string& message) {
                                             return message.compare(0, line.size(), line) == 0;
                                           }))
        << line;
  }
}

const char kReinstall[] = "/irwardencore /fp enable /3";
const char kFlagOff[] = "/pfc off /3";

INSTANTIATE_TEST_SUITE_P(
    Products,
    HandBackTest,
    ::testing::Values(HandBackCase{"OtherProductRemains",
                                   {L"1060001", L"1000001"},
                                   true,
                                   true,
                                   {kReinstall, kFlagOff},
                                   {L"1000001"},
                                   {"After CompleteUninstall::Run(): product info: count=1"}},
                      HandBackCase{"OnlyOtherProductRegistered",
                                   {L"1000101"},
                                   true,
                                   true,
                                   {kReinstall, kFlagOff},
                                   {L"1000101"},
                                   {"After CompleteUninstall::Run(): product info: count=1"}},
                      HandBackCase{"LastProduct",
                                   {L"1060001"},
                                   true,
                                   true,
                                   {},
                                   {},
                                   {"After CompleteUninstall::Run(): product info: count=0"}},
                      HandBackCase{"NoProductList",
                                   {},
                                   false,
                                   true,
                                   {},
                                   {},
                                   {"After CompleteUninstall::Run(): product info: count=0"}},
                      HandBackCase{"OtherProductButWardenMissing",
                                   {L"1060001", L"1000001"},
                                   true,
                                   false,
                                   {},
                                   {L"1000001"},
                                   {"warden not existed:", "WardenWriteUpdateFlag(false) false"}}),
    [](const ::testing::TestParamInfo<HandBackCase>& info) { return info.param.name; });

}  // namespace
