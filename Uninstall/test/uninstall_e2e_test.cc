// Uninstall.exe started as a real process under Wine: the test answers its message boxes
// through the real windows, plays the running client with peer processes, writes the
// client's registry key and reads the log file back.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/scoped_handle_win.h"
#include "dialog_driver.h"
#include "removal_test_support.h"
#include "scenario/uninstall_run.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"
#include "uninstall_log.h"

namespace {

using uninstall_scenario::kConfirmText;
using uninstall_scenario::kFinalCaption;
using uninstall_scenario::kFinalText;
using uninstall_scenario::kRunningCaption;
using uninstall_test::kUninstallBranch;

const wchar_t* const kCaption = uninstall_scenario::kConfirmCaption;
const wchar_t kAlreadyRunningText[] = L"已有安装程序正在运行，请稍后卸载。";
const DWORD kBoxWait = 20000;
const DWORD kExitWait = 30000;

std::wstring Peer(const wchar_t* variant, const wchar_t* image) {
  return tern_test::ExeDir() + L"\\peers\\" + variant + L"\\" + image;
}

// HKLM\SOFTWARE\Corvane\Tern of the test prefix, removed before and after each test.
class ClientKey {
 public:
  ClientKey() { Remove(); }
  ~ClientKey() { Remove(); }

  void Install(const std::wstring& folder, DWORD anvil_setup) {
    base::ScopedHKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\Tern", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
    SetString(key.Get(), L"Install", folder);
    SetString(key.Get(), L"version", L"9.1.2");
    RegSetValueExW(key.Get(), L"AnvilSetup2012", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&anvil_setup), sizeof(anvil_setup));
  }

 private:
  static void SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  static void Remove() { SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\Tern"); }
};

class UninstallE2ETest : public ::testing::Test {
 protected:
  // Runs a copy of its own: the uninstaller moves itself aside and schedules its own
  // deletion.
  bool StartUninstaller(tern_test::ScopedProcess* process, const wchar_t* exe = L"Uninstall.exe") {
    std::wstring folder = program_dir_.Join(std::to_wstring(++copies_));
    std::wstring copy = folder + L"\\" + exe;
    last_copy_ = copy;
    return CreateDirectoryW(folder.c_str(), nullptr) &&
           CopyFileW((tern_test::ExeDir() + L"\\" + exe).c_str(), copy.c_str(), FALSE) &&
           process->Start(copy, L"");
  }

  // Waits for the completion message and closes it as a user would.
  void AnswerFinalBox(const tern_test::ScopedProcess& process) {
    HWND box = dialog_driver::WaitForBox(process.pid(), kFinalCaption, kBoxWait);
    ASSERT_TRUE(box) << "no completion message";
    EXPECT_EQ(kFinalText, dialog_driver::BoxText(box));
    dialog_driver::Press(box, IDOK);
  }

  // Waits for the confirmation box and answers it.
  void Confirm(const tern_test::ScopedProcess& process, int answer) {
    HWND box = dialog_driver::WaitForBox(process.pid(), kCaption, kBoxWait);
    ASSERT_TRUE(box) << "no confirmation box";
    EXPECT_EQ(kConfirmText, dialog_driver::BoxText(box));
    dialog_driver::Press(box, answer);
  }

  static DWORD ExitCode(tern_test::ScopedProcess* process) {
    DWORD code = 0xDEAD;
    if (!process->Wait(kExitWait, &code))
      ADD_FAILURE() << "the uninstaller did not exit";
    return code;
  }

  // Each run schedules its copy for deletion at restart: the prefix's list is put back after.
  removal_test::ScopedPendingRenames pending_;
  tern_test::ScopedTempDir program_dir_;
  std::wstring last_copy_;
  int copies_ = 0;
  ClientKey client_key_;
  uninstall_test::UninstallLog log_;
};

// No installation recorded: the not-needed branch runs and ends in ExitUninstall.
TEST_F(UninstallE2ETest, ConfirmedWithoutInstallationEndsThroughTheNotNeededBranch) {
  tern_test::ScopedProcess uninstaller;
  ASSERT_TRUE(StartUninstaller(&uninstaller));
  Confirm(uninstaller, IDYES);
  AnswerFinalBox(uninstaller);
  EXPECT_EQ(0u, ExitCode(&uninstaller));
  EXPECT_EQ(
      (std::vector<std::string>{"StartUninstall", "CheckPelicanRunning", "GetUninstallEnvironment",
                                "CompleteUninstall_NotNeedInstall", "ExitUninstall"}),
      log_.StartedObjects(uninstaller.pid()));
  EXPECT_TRUE(
      log_.Has(uninstaller.pid(), "HKEY_LOCAL_MACHIN\\SOFTWARE\\Corvane\\Pelican2009 open fail"));
  // No folder of removed files was made: the uninstaller is scheduled where it is.
  std::vector<std::wstring> deletes = removal_test::PendingDeletes();
  ASSERT_EQ(1u, deletes.size());
  EXPECT_EQ(0, _wcsicmp(last_copy_.c_str(), deletes[0].c_str()));
}

// An installation with its description: every object of the graph starts once, the
// classes of later work report themselves as not available, warden.exe is ended.
TEST_F(UninstallE2ETest, ConfirmedWithInstallationWalksTheWholeGraph) {
  tern_test::ScopedTempDir install;
  ASSERT_TRUE(tern_test::WriteFileBytes(install.Join(L"Uninstall.xml"), "<Uninstall/>"));
  client_key_.Install(install.path(), 1);
  tern_test::ScopedProcess warden;
  ASSERT_TRUE(warden.Start(Peer(L"warden", L"warden.exe"), L""));

  tern_test::ScopedProcess uninstaller;
  ASSERT_TRUE(StartUninstaller(&uninstaller));
  Confirm(uninstaller, IDYES);
  AnswerFinalBox(uninstaller);
  EXPECT_EQ(0u, ExitCode(&uninstaller));

  DWORD warden_code = 1;
  EXPECT_TRUE(warden.Wait(5000, &warden_code)) << "warden.exe still runs";
  EXPECT_EQ(0u, warden_code);
  auto started = log_.StartedObjects(uninstaller.pid());
  ASSERT_FALSE(started.empty());
  for (const char* object : kUninstallBranch)
    EXPECT_EQ(1, std::count(started.begin(), started.end(), object)) << object;
  EXPECT_EQ(std::size(kUninstallBranch), started.size());
  EXPECT_EQ("ExitUninstall", started.back());
  // ClearInstallDir joins DeleteFiles and DeleteWardenFiles.
  auto at = [&started](const char* name) {
    return std::find(started.begin(), started.end(), name) - started.begin();
  };
  EXPECT_GT(at("ClearInstallDir"), at("DeleteFiles"));
  EXPECT_GT(at("ClearInstallDir"), at("DeleteWardenFiles"));
  // [pid:tid:MMDD/HHMMSS:tick:SEVERITY:file(line)] message, lines ended by a line feed.
  const std::regex format("^\\[" + std::to_string(uninstaller.pid()) +
                          ":[0-9]+:[01][0-9][0-3][0-9]/[0-2][0-9][0-5][0-9][0-5][0-9]:[0-9]+:"
                          "(INFO|WARNING|ERROR):[a-z_]+\\.cc\\([0-9]+\\)\\] [^\r]+$");
  auto lines = log_.LinesOf(uninstaller.pid());
  EXPECT_GE(lines.size(), std::size(kUninstallBranch));
  for (const std::string& line : lines)
    EXPECT_TRUE(std::regex_match(line, format)) << line;
}

// An installation by an older setup (AnvilSetup2012 = 0) leaves NeedUnistall unset, so
// neither branch fires; the run ends when the graph has come to rest.
TEST_F(UninstallE2ETest, OlderSetupEndsTheRunWhenTheGraphComesToRest) {
  tern_test::ScopedTempDir install;
  ASSERT_TRUE(tern_test::WriteFileBytes(install.Join(L"Uninstall.xml"), "<Uninstall/>"));
  client_key_.Install(install.path(), 0);
  tern_test::ScopedProcess uninstaller;
  ASSERT_TRUE(StartUninstaller(&uninstaller));
  Confirm(uninstaller, IDYES);
  EXPECT_EQ(0u, ExitCode(&uninstaller));
  EXPECT_EQ((std::vector<std::string>{"StartUninstall", "CheckPelicanRunning",
                                      "GetUninstallEnvironment"}),
            log_.StartedObjects(uninstaller.pid()));
  EXPECT_TRUE(log_.Has(uninstaller.pid(),
                       "The task graph came to rest without reaching an exit task; the run ends"));
}

// Uninstall.xml missing from the installation: with its backup under the uninstaller's
// temporary folder the uninstall goes on; without it the not-needed branch runs.
TEST_F(UninstallE2ETest, MissingDescriptionFallsBackToItsBackup) {
  wchar_t appdata[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appdata);
  const std::wstring backup_dir =
      std::wstring(appdata) + L"\\Corvane\\Tern\\STemp\\Uninstall\\9.1.2";
  const std::wstring backup = backup_dir + L"\\Uninstall.xml";
  for (bool with_backup : {true, false}) {
    SCOPED_TRACE(with_backup ? "with backup" : "without backup");
    DeleteFileW(backup.c_str());
    if (with_backup) {
      SHCreateDirectoryExW(nullptr, backup_dir.c_str(), nullptr);
      ASSERT_TRUE(tern_test::WriteFileBytes(backup, "<Uninstall/>"));
    }
    tern_test::ScopedTempDir install;
    client_key_.Install(install.path(), 1);
    tern_test::ScopedProcess uninstaller;
    ASSERT_TRUE(StartUninstaller(&uninstaller));
    Confirm(uninstaller, IDYES);
    AnswerFinalBox(uninstaller);
    EXPECT_EQ(0u, ExitCode(&uninstaller));
    auto started = log_.StartedObjects(uninstaller.pid());
    auto ran = [&started](const char* name) {
      return std::find(started.begin(), started.end(), name) != started.end();
    };
    EXPECT_TRUE(log_.Has(uninstaller.pid(), "Uninstall.xml path not exists"));
    EXPECT_EQ(with_backup, ran("DisableWarden"));
    EXPECT_EQ(!with_backup, ran("CompleteUninstall_NotNeedInstall"));
    EXPECT_EQ(!with_backup, log_.Has(uninstaller.pid(), "Uninstall.xml backup path not exists"));
    ASSERT_FALSE(started.empty());
    EXPECT_EQ("ExitUninstall", started.back());
  }
  DeleteFileW(backup.c_str());
}

TEST_F(UninstallE2ETest, AnsweringNoRunsOnlyTheCancelExit) {
  tern_test::ScopedProcess uninstaller;
  ASSERT_TRUE(StartUninstaller(&uninstaller));
  Confirm(uninstaller, IDNO);
  EXPECT_EQ(0u, ExitCode(&uninstaller));
  EXPECT_EQ((std::vector<std::string>{"StartUninstall", "ExitUninstall_ResultCancel"}),
            log_.StartedObjects(uninstaller.pid()));
}

TEST_F(UninstallE2ETest, SecondUninstallerIsToldThatOneRunsAlready) {
  tern_test::ScopedProcess first, second;
  ASSERT_TRUE(StartUninstaller(&first));
  HWND first_box = dialog_driver::WaitForBox(first.pid(), kCaption, kBoxWait);
  ASSERT_TRUE(first_box);

  ASSERT_TRUE(StartUninstaller(&second));
  HWND second_box = dialog_driver::WaitForBox(second.pid(), kCaption, kBoxWait);
  ASSERT_TRUE(second_box);
  EXPECT_EQ(kAlreadyRunningText, dialog_driver::BoxText(second_box));
  dialog_driver::Press(second_box, IDOK);
  EXPECT_EQ(0u, ExitCode(&second));
  EXPECT_EQ((std::vector<std::string>{"StartUninstall", "ExitUninstall_ResultCancel"}),
            log_.StartedObjects(second.pid()));

  EXPECT_TRUE(IsWindow(first_box));
  dialog_driver::Press(first_box, IDNO);
  EXPECT_EQ(0u, ExitCode(&first));
}

// The client peer keeps the running box up: Retry shows it again, Cancel ends the run.
TEST_F(UninstallE2ETest, RunningClientRetryThenCancel) {
  tern_test::ScopedProcess client;
  ASSERT_TRUE(client.Start(Peer(L"corvane", L"Tern.exe"), L""));
  tern_test::ScopedProcess uninstaller;
  ASSERT_TRUE(StartUninstaller(&uninstaller));
  Confirm(uninstaller, IDYES);

  HWND box = dialog_driver::WaitForBox(uninstaller.pid(), kRunningCaption, kBoxWait);
  ASSERT_TRUE(box);
  EXPECT_EQ(L"Tern正在运行，安装无法继续。\r\n请关闭Tern并单击「重试」，或者单击「取消」退出安装。",
            dialog_driver::BoxText(box));
  dialog_driver::Press(box, IDRETRY);
  ASSERT_TRUE(dialog_driver::WaitUntilGone(box, kBoxWait));
  HWND again = dialog_driver::WaitForBox(uninstaller.pid(), kRunningCaption, kBoxWait);
  ASSERT_TRUE(again) << "Retry with the client still running must ask again";
  dialog_driver::Press(again, IDCANCEL);
  EXPECT_EQ(0u, ExitCode(&uninstaller));
  EXPECT_EQ((std::vector<std::string>{"StartUninstall", "CheckPelicanRunning",
                                      "ExitUninstall_ResultCancel"}),
            log_.StartedObjects(uninstaller.pid()));
}

TEST_F(UninstallE2ETest, RetryAfterTheClientClosedGoesOnAndEndsWarden) {
  auto client = std::make_unique<tern_test::ScopedProcess>();
  ASSERT_TRUE(client->Start(Peer(L"corvane_app", L"TernApp.exe"), L""));
  tern_test::ScopedProcess warden;
  ASSERT_TRUE(warden.Start(Peer(L"warden", L"warden.exe"), L""));
  tern_test::ScopedProcess uninstaller;
  ASSERT_TRUE(StartUninstaller(&uninstaller));
  Confirm(uninstaller, IDYES);

  HWND box = dialog_driver::WaitForBox(uninstaller.pid(), kRunningCaption, kBoxWait);
  ASSERT_TRUE(box);
  HANDLE client_process = client->handle();
  TerminateProcess(client_process, 0);
  WaitForSingleObject(client_process, kExitWait);
  client.reset();
  dialog_driver::Press(box, IDRETRY);
  AnswerFinalBox(uninstaller);
  EXPECT_EQ(0u, ExitCode(&uninstaller));
  DWORD warden_code = 1;
  EXPECT_TRUE(warden.Wait(5000, &warden_code));
  EXPECT_EQ(0u, warden_code);
  auto started = log_.StartedObjects(uninstaller.pid());
  EXPECT_NE(started.end(), std::find(started.begin(), started.end(), "GetUninstallEnvironment"));
}

// Another company's Tern.exe and a sibling edition do not hold the uninstall up: the run
// ends after the confirmation alone.
TEST_F(UninstallE2ETest, ForeignOrSiblingTernDoesNotBlock) {
  for (const wchar_t* variant : {L"other_company", L"sibling"}) {
    tern_test::ScopedProcess client;
    ASSERT_TRUE(client.Start(Peer(variant, L"Tern.exe"), L""));
    tern_test::ScopedProcess uninstaller;
    ASSERT_TRUE(StartUninstaller(&uninstaller));
    Confirm(uninstaller, IDYES);
    AnswerFinalBox(uninstaller);
    EXPECT_EQ(0u, ExitCode(&uninstaller)) << variant;
    auto started = log_.StartedObjects(uninstaller.pid());
    EXPECT_NE(started.end(), std::find(started.begin(), started.end(), "GetUninstallEnvironment"))
        << variant;
  }
}

// TEST-ONLY builds: a malformed document and a missing resource end with 1 before any
// task runs, and the log says why.
TEST_F(UninstallE2ETest, UnloadableGraphExitsWithOneAndRunsNothing) {
  struct Case {
    const wchar_t* exe;
    const char* reason_prefix;
  } cases[] = {{L"Uninstall_BrokenGraphForTest.exe", "ErrorID = "},
               {L"Uninstall_NoGraphForTest.exe", "4000: 资源获取失败"}};
  for (const Case& c : cases) {
    tern_test::ScopedProcess uninstaller;
    ASSERT_TRUE(StartUninstaller(&uninstaller, c.exe));
    EXPECT_EQ(1u, ExitCode(&uninstaller));
    auto messages = log_.MessagesOf(uninstaller.pid());
    EXPECT_NE(messages.end(),
              std::find_if(messages.begin(), messages.end(), [&c](const std::string& m) {
                return m.compare(0, strlen(c.reason_prefix), c.reason_prefix) == 0;
              }));
    EXPECT_TRUE(log_.StartedObjects(uninstaller.pid()).empty());
  }
}

}  // namespace
