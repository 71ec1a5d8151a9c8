// The suite's main job on a built-in demo: a client installation is simulated in the Wine
// prefix (the last product using the protection component), the real Uninstall.exe is run
// from it as a user would run it, and what was on the machine before and what is left or
// scheduled for the restart after is printed, with the uninstaller's log. The two message
// boxes are kept as screenshots. Run it where only loopback exists, with the report's host
// name mapped to 127.0.0.1 (tools/demo.sh does both).
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "removal_test_support.h"
#include "scenario/simulated_installation.h"
#include "scenario/uninstall_run.h"
#include "tern_test/process.h"
#include "uninstall_log.h"

namespace {

using uninstall_scenario::Group;
using uninstall_scenario::SimulatedInstallation;
using uninstall_scenario::State;

std::string Utf8(const std::wstring& text) {
  return removal_test::Utf8(text);
}

void PrintItems(const SimulatedInstallation& installation, bool after) {
  for (Group group : {Group::kClient, Group::kComponent, Group::kCompanion, Group::kSentinel}) {
    std::map<State, int> counts;
    std::printf("  %s:\n", uninstall_scenario::GroupName(group));
    for (const auto& item : installation.items()) {
      if (item.group != group)
        continue;
      State state = installation.StateOf(item);
      ++counts[state];
      std::printf("    %-34s %s\n", after ? uninstall_scenario::StateName(state) : "installed",
                  item.label.c_str());
    }
    if (after) {
      std::printf("    -> %d gone, %d scheduled for the restart, %d still present\n",
                  counts[State::kGone], counts[State::kScheduled], counts[State::kPresent]);
    }
  }
}

// The request line and the facts line of a report.
std::string ReportSummary(const std::string& request) {
  size_t comm = request.find("COMM:");
  std::string first = request.substr(0, request.find("\r\n"));
  std::string facts =
      comm == std::string::npos ? "" : request.substr(comm, request.find("\r\n", comm) - comm);
  return first + " | " + facts;
}

}  // namespace

int wmain() {
  SimulatedInstallation installation;
  std::printf("== a simulated installation of Tern in %s\n",
              Utf8(installation.install_dir()).c_str());
  if (!installation.Create()) {
    std::printf("could not simulate the installation: %s\n", installation.error().c_str());
    return 1;
  }
  std::printf("\n== before: what the installation put on the machine, and what is beside it\n");
  PrintItems(installation, false);

  const std::wstring shots = tern_test::ExeDir() + L"\\uninstall_screenshots";
  std::printf("\n== running %s, answering Yes and closing the final message\n",
              Utf8(installation.uninstaller()).c_str());
  uninstall_test::UninstallLog log;
  auto run = uninstall_scenario::RunUninstallAsUser(installation.uninstaller(), shots);
  std::printf("  confirmation shown: %s, final message shown: %s, exit code: %lu%s, %.1f s\n",
              run.confirmation_shown ? "yes" : "no", run.final_message_shown ? "yes" : "no",
              run.exit_code, run.exited ? "" : " (did not exit)", run.elapsed_ms / 1000.0);
  std::printf("  screenshots: %s\\confirmation.png, final_message.png\n", Utf8(shots).c_str());

  std::printf("\n== after\n");
  PrintItems(installation, true);
  std::vector<std::wstring> left = installation.LeftInInstallDir();
  DWORD folder = GetFileAttributesW(installation.install_dir().c_str());
  std::printf("  the installation folder: %s\n", folder == INVALID_FILE_ATTRIBUTES ? "gone"
                                                 : left.empty() ? "left behind, empty"
                                                                : "left behind, holding:");
  for (const std::wstring& path : left)
    std::printf("    %s\n", Utf8(path).c_str());
  std::printf("  deletions registered for the restart, in order:\n");
  for (const std::wstring& path : removal_test::PendingDeletes())
    std::printf("    %s\n", Utf8(path).c_str());
  std::printf("  Warden.exe was run with:\n");
  for (const std::string& call : installation.WardenCalls()) {
    if (!call.empty())
      std::printf("    %s\n", call.c_str());
  }
  std::printf("  companion and module uninstallers started:\n");
  for (const std::wstring& line : installation.CompanionStarts())
    std::printf("    %s\n", Utf8(line).c_str());
  std::printf("  reports received by the statistics server on 127.0.0.1:443:\n");
  for (const std::string& request : installation.StatsRequests())
    std::printf("    %s\n", ReportSummary(request).c_str());

  std::printf("\n== the uninstaller's log (%s)\n",
              Utf8(uninstall_test::UninstallLogFile()).c_str());
  for (const std::string& line : log.LinesOf(run.pid))
    std::printf("  %s\n", line.c_str());
  bool ok = run.final_message_shown && run.exited && run.exit_code == 0;
  std::printf("\n== %s\n", ok ? "the uninstall ran to its end" : "the uninstall did not finish");
  return ok ? 0 : 1;
}
