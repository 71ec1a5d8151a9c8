// The whole uninstall of a simulated installation: the real Uninstall.exe started where the
// user starts it, its message boxes answered through their windows, and the machine read back
// afterwards: files, keys, services, processes, pins, firewall exceptions, companions, the
// pending renames, the statistics server's requests and the log.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "removal_test_support.h"
#include "scenario/simulated_installation.h"
#include "scenario/uninstall_run.h"
#include "tern_test/process.h"
#include "uninstall_log.h"

namespace {

using uninstall_scenario::Group;
using uninstall_scenario::Options;
using uninstall_scenario::SimulatedInstallation;
using uninstall_scenario::State;

const DWORD kBoxWait = 30000;

using uninstall_test::kUninstallBranch;

bool Contains(const std::vector<std::string>& list, const std::string& text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Under(const std::wstring& path, const std::wstring& folder) {
  return path.size() > folder.size() &&
         _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0 &&
         path[folder.size()] == L'\\';
}

std::string Utf8(const std::wstring& text) {
  return removal_test::Utf8(text);
}

bool Scheduled(const std::wstring& path) {
  std::vector<std::wstring> pending = removal_test::PendingDeletes();
  return std::any_of(pending.begin(), pending.end(), [&path](const std::wstring& p) {
    return _wcsicmp(p.c_str(), path.c_str()) == 0;
  });
}

class UninstallScenarioTest : public ::testing::Test {
 protected:
  // Every item of `groups` is gone or scheduled for deletion at restart.
  static void ExpectRemoved(const SimulatedInstallation& installation, std::vector<Group> groups) {
    for (const auto& item : installation.items()) {
      if (std::find(groups.begin(), groups.end(), item.group) != groups.end()) {
        EXPECT_NE(State::kPresent, installation.StateOf(item)) << item.label;
      }
    }
  }
  // Every item of `groups` is still there and not scheduled.
  static void ExpectKept(const SimulatedInstallation& installation, std::vector<Group> groups) {
    for (const auto& item : installation.items()) {
      if (std::find(groups.begin(), groups.end(), item.group) != groups.end()) {
        EXPECT_EQ(State::kPresent, installation.StateOf(item)) << item.label;
      }
    }
  }
  static void ExpectWholeBranchRan(const std::vector<std::string>& started) {
    for (const char* object : kUninstallBranch)
      EXPECT_EQ(1, std::count(started.begin(), started.end(), object)) << object;
    ASSERT_FALSE(started.empty());
    EXPECT_EQ("ExitUninstall", started.back());
  }

  uninstall_test::UninstallLog log_;
};

// The last product: everything of the client and the component goes now or at restart, the
// uninstaller is scheduled after being moved aside, and nothing beside the installation changes.
TEST_F(UninstallScenarioTest, LastProductRemovesClientAndComponent) {
  SimulatedInstallation installation;
  ASSERT_TRUE(installation.Create()) << installation.error();
  ExpectKept(installation,
             {Group::kClient, Group::kComponent, Group::kCompanion, Group::kSentinel});

  const std::wstring shots = tern_test::ExeDir() + L"\\uninstall_screenshots";
  auto run = uninstall_scenario::RunUninstallAsUser(installation.uninstaller(), shots);
  ASSERT_TRUE(run.confirmation_shown);
  ASSERT_NE(0u, run.pid) << "Uninstall.exe did not start, error " << run.start_error;
  ASSERT_TRUE(run.final_message_shown);
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(0u, run.exit_code);
  for (const wchar_t* png : {L"\\confirmation.png", L"\\final_message.png"})
    EXPECT_LT(1000u, tern_test::ReadFileBytes(shots + png).size()) << Utf8(png);

  ExpectRemoved(installation, {Group::kClient, Group::kComponent, Group::kCompanion});
  ExpectKept(installation, {Group::kSentinel});

  // What is left of the installation folder waits for the restart.
  for (const std::wstring& left : installation.LeftInInstallDir()) {
    if (!(GetFileAttributesW(left.c_str()) & FILE_ATTRIBUTE_DIRECTORY)) {
      EXPECT_TRUE(Scheduled(left)) << Utf8(left);
    }
  }
  std::vector<std::wstring> pending = removal_test::PendingDeletes();

  // The moved uninstaller, then everything else in its folder, then the folder, last of all.
  auto moved = std::find_if(pending.begin(), pending.end(), [](const std::wstring& path) {
    return EndsWith(path, L".exe") && path.find(L"\\~Uninstall_") != std::wstring::npos;
  });
  ASSERT_NE(pending.end(), moved) << "the uninstaller is not scheduled";
  const std::wstring folder = moved->substr(0, moved->find_last_of(L'\\'));
  EXPECT_FALSE(Under(folder, installation.install_dir()));
  EXPECT_EQ(folder, pending.back());
  for (size_t i = 0; i < pending.size(); ++i) {
    if (Under(pending[i], folder)) {
      EXPECT_LT(i, pending.size() - 1) << Utf8(pending[i]);
    }
  }

  // The component was told to stand down and to remove its core service, never to come back.
  std::vector<std::string> calls = installation.WardenCalls();
  ASSERT_LE(3u, calls.size());
  EXPECT_EQ(
      (std::vector<std::string>{"/pfc on /3", "/fp disable /twardencore /3", "/utwardencore /3"}),
      std::vector<std::string>(calls.begin(), calls.begin() + 3));
  EXPECT_FALSE(Contains(calls, "/irwardencore /fp enable /3"));

  // Companions and the module program were handed their own uninstall.
  std::vector<std::wstring> starts = installation.CompanionStarts();
  for (const wchar_t* args : {L" /S", L" /PrepareUninstall", L" /uninstall"}) {
    EXPECT_EQ(1, std::count_if(starts.begin(), starts.end(),
                               [args](const std::wstring& line) { return EndsWith(line, args); }))
        << Utf8(args);
  }

  // One report, accepted at once.
  std::vector<std::string> requests = installation.StatsRequests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ(0u, requests[0].find("GET  Upload_Data\r\nVERSION: 1 \r\nMODULE_ID: 607 \r\n"
                                 "COMM:9.1.2.3,"));
  EXPECT_NE(std::string::npos, requests[0].find("\r\nHost: 127.0.0.1:443\r\n"));

  // The log tells the same story in a plausible order.
  std::vector<std::string> started = log_.StartedObjects(run.pid);
  ExpectWholeBranchRan(started);
  auto at = [&started](const char* name) {
    return std::find(started.begin(), started.end(), name) - started.begin();
  };
  EXPECT_LT(at("KillCorvaneProcess"), at("DeleteFiles"));
  EXPECT_LT(at("DeleteWardenFiles"), at("ClearInstallDir"));
  EXPECT_LT(at("UninstallUploadResult"), at("CompleteUninstall"));
  const int disable = log_.IndexOf(run.pid, "DisableWarden::Run(), product count: 1");
  const int core = log_.IndexOf(run.pid, "UnInstallWardenCore::Run(), product count: 1");
  const int files = log_.IndexOf(run.pid, "After DeleteFiles::Run(): product info: count=0");
  const int complete =
      log_.IndexOf(run.pid, "After CompleteUninstall::Run(): product info: count=0");
  EXPECT_LE(0, disable);
  EXPECT_LT(disable, core);
  EXPECT_LT(core, files);
  EXPECT_LT(files, complete);
  EXPECT_TRUE(log_.Has(run.pid, "delete uninstall.exe, continue."));
}

// Another product still uses the component: its files, service and add-on stay, and the
// core service is installed and started again with the update flag reset.
TEST_F(UninstallScenarioTest, SharedComponentStaysAndItsCoreServiceIsReinstalled) {
  Options options;
  options.other_product = true;
  SimulatedInstallation installation(options);
  ASSERT_TRUE(installation.Create()) << installation.error();

  auto run = uninstall_scenario::RunUninstallAsUser(installation.uninstaller());
  ASSERT_NE(0u, run.pid) << "Uninstall.exe did not start, error " << run.start_error;
  ASSERT_TRUE(run.final_message_shown);
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(0u, run.exit_code);

  ExpectRemoved(installation, {Group::kClient, Group::kCompanion});
  ExpectKept(installation, {Group::kComponent, Group::kSentinel});
  std::vector<std::string> calls = installation.WardenCalls();
  ASSERT_LE(2u, calls.size());
  EXPECT_EQ((std::vector<std::string>{"/irwardencore /fp enable /3", "/pfc off /3"}),
            std::vector<std::string>(calls.end() - 2, calls.end()));
  EXPECT_FALSE(Contains(calls, "/utwardencore /3"));
  EXPECT_FALSE(Contains(calls, "/3 /utwardencore"));
  EXPECT_LE(0, log_.IndexOf(
                   run.pid,
                   "doDeleteWardenFiles returned, no delete, there's still other product:", true));
  EXPECT_TRUE(log_.Has(run.pid, "After CompleteUninstall::Run(): product info: count=1"));
  ExpectWholeBranchRan(log_.StartedObjects(run.pid));
}

// Cancelled at the confirmation or at the running-client check: only the cancel exit runs and
// the machine is as it was.
TEST_F(UninstallScenarioTest, CancelLeavesEverything) {
  for (bool at_running_client : {false, true}) {
    SCOPED_TRACE(at_running_client ? "at the running client" : "at the confirmation");
    SimulatedInstallation installation;
    ASSERT_TRUE(installation.Create()) << installation.error();
    tern_test::ScopedProcess client;
    if (at_running_client) {
      ASSERT_TRUE(client.Start(installation.client(), L""));
    }
    tern_test::ScopedProcess uninstaller;
    ASSERT_TRUE(uninstaller.Start(installation.uninstaller(), L""));
    HWND box =
        dialog_driver::WaitForBox(uninstaller.pid(), uninstall_scenario::kConfirmCaption, kBoxWait);
    ASSERT_TRUE(box);
    dialog_driver::Press(box, at_running_client ? IDYES : IDNO);
    if (at_running_client) {
      HWND running = dialog_driver::WaitForBox(uninstaller.pid(),
                                               uninstall_scenario::kRunningCaption, kBoxWait);
      ASSERT_TRUE(running);
      dialog_driver::Press(running, IDCANCEL);
    }
    DWORD code = 0xDEAD;
    ASSERT_TRUE(uninstaller.Wait(kBoxWait, &code));
    EXPECT_EQ(0u, code);

    ExpectKept(installation,
               {Group::kClient, Group::kComponent, Group::kCompanion, Group::kSentinel});
    EXPECT_TRUE(removal_test::PendingDeletes().empty());
    EXPECT_TRUE(installation.WardenCalls().empty());
    EXPECT_TRUE(installation.StatsRequests().empty());
    std::vector<std::string> expected = {"StartUninstall"};
    if (at_running_client)
      expected.push_back("CheckPelicanRunning");
    expected.push_back("ExitUninstall_ResultCancel");
    EXPECT_EQ(expected, log_.StartedObjects(uninstaller.pid()));
  }
}

struct FaultCase {
  const char* name;
  Options options;
  bool lock_file;                  // <install>\Bin\Keystone.dll held open without delete sharing
  std::vector<std::string> lines;  // in the uninstaller's log
  size_t reports;                  // requests the statistics server received
};

class UninstallFaultTest : public UninstallScenarioTest,
                           public ::testing::WithParamInterface<FaultCase> {};

// Each fault costs at most its bounded wait: the uninstall still runs to its end.
TEST_P(UninstallFaultTest, UninstallStillFinishes) {
  const FaultCase& c = GetParam();
  SimulatedInstallation installation(c.options);
  ASSERT_TRUE(installation.Create()) << installation.error();
  const std::wstring locked_path = installation.install_dir() + L"\\Bin\\Keystone.dll";
  std::unique_ptr<removal_test::LockedFile> locked;
  if (c.lock_file) {
    locked = std::make_unique<removal_test::LockedFile>(locked_path);
    ASSERT_TRUE(locked->locked());
  }

  auto run = uninstall_scenario::RunUninstallAsUser(installation.uninstaller());
  ASSERT_NE(0u, run.pid) << "Uninstall.exe did not start, error " << run.start_error;
  ASSERT_TRUE(run.final_message_shown);
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(0u, run.exit_code);
  ExpectWholeBranchRan(log_.StartedObjects(run.pid));
  for (const std::string& line : c.lines)
    EXPECT_LE(0, log_.IndexOf(run.pid, line, true)) << line;
  EXPECT_EQ(c.reports, installation.StatsRequests().size());
  ExpectKept(installation, {Group::kSentinel});
  if (c.lock_file) {
    EXPECT_TRUE(Scheduled(locked_path));
    EXPECT_TRUE(removal_test::Exists(locked_path));
  }
}

Options WithBehaviour(const char* behaviour) {
  Options options;
  options.warden_behaviour = behaviour;
  return options;
}

Options WithReplies(const char* replies) {
  Options options;
  options.stats_replies = replies;
  return options;
}

Options WithoutCompanionUninstallers() {
  Options options;
  options.companion_uninstallers = false;
  return options;
}

INSTANTIATE_TEST_SUITE_P(
    Faults,
    UninstallFaultTest,
    ::testing::Values(
        FaultCase{"StuckWardenCommand",
                  WithBehaviour("/fp disable=hang"),
                  false,
                  {"disable qd error timeout!"},
                  1},
        FaultCase{"LockedFile", Options(), true, {"delete file:"}, 1},
        FaultCase{"StatisticsServerNeverAnswers", WithReplies("silent"), false, {}, 3},
        FaultCase{"CompanionUninstallersMissing",
                  WithoutCompanionUninstallers(),
                  false,
                  {"uninst.exe not exist.", "minidl.exe not exist."},
                  1}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

}  // namespace
