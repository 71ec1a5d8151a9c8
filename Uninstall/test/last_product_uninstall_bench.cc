// Benchmark, not a test: wall time of a whole last-product uninstall of the simulated
// installation (the one the scenario tests and the demo use), answering the boxes as a user
// would; the time spent in each task from the log (from its start to the start of the first
// object it triggers, read from the task graph inside Uninstall.exe); and, next to it, the sum
// of the run's unavoidable waits: the time its message boxes were up, and the child processes
// it must wait for (each Warden command, the add-on's unregistration), costed at a bare
// process start and exit measured here. It writes the whole prefix like the scenario tests:
// run it alone, as Uninstall/README.md shows.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "scenario/simulated_installation.h"
#include "scenario/uninstall_run.h"
#include "task_object/runtime_object.h"
#include "task_object/task_context.h"
#include "task_object/task_graph_parser.h"
#include "task_object/task_graph_resource.h"
#include "tern_test/process.h"
#include "uninstall_log.h"

namespace {

// name -> start tick of each runtime object, from "[pid:tid:MMDD/HHMMSS:tick:...] Start
// runtime object <name> (class ...)".
std::map<std::string, unsigned long long> StartTicks(const std::vector<std::string>& lines,
                                                     std::vector<std::string>* order) {
  std::map<std::string, unsigned long long> ticks;
  const std::string marker = "] Start runtime object ";
  for (const std::string& line : lines) {
    size_t at = line.find(marker);
    size_t slash = line.find('/');
    if (at == std::string::npos || slash == std::string::npos)
      continue;
    std::string name = line.substr(at + marker.size());
    name = name.substr(0, name.find(" ("));
    ticks[name] = std::stoull(line.substr(line.find(':', slash) + 1));
    order->push_back(name);
  }
  return ticks;
}

// The shipped graph, read from the program the way it reads itself.
bool LoadGraph(const std::wstring& exe, task_object::TaskContext* context) {
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  std::string bytes;
  bool ok = module && task_object::LoadTaskGraphResource(module, 4000, L"XML", &bytes) &&
            task_object::ParseTaskGraph(bytes.data(), bytes.size(), context);
  if (module)
    FreeLibrary(module);
  return ok;
}

double BareProcessMs() {
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    QueryPerformanceCounter(&begin);
    tern_test::RunProcess(tern_test::ExeDir() + L"\\companion_uninstaller.exe", L"");
    QueryPerformanceCounter(&end);
    double ms = 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
                static_cast<double>(frequency.QuadPart);
    best = ms < best ? ms : best;
  }
  return best;
}

}  // namespace

int wmain() {
  task_object::TaskContext graph;
  if (!LoadGraph(tern_test::ExeDir() + L"\\Uninstall.exe", &graph)) {
    std::printf("cannot read the task graph from Uninstall.exe\n");
    return 1;
  }
  std::map<std::string, task_object::RuntimeObject*> objects;
  for (const auto& entry : graph.runtime_objects())
    objects[entry.second->name()] = entry.second.get();

  uninstall_scenario::SimulatedInstallation installation;
  if (!installation.Create()) {
    std::printf("could not simulate the installation: %s\n", installation.error().c_str());
    return 1;
  }
  uninstall_test::UninstallLog log;
  auto run = uninstall_scenario::RunUninstallAsUser(installation.uninstaller());
  if (!run.final_message_shown || !run.exited) {
    std::printf("the uninstall did not finish\n");
    return 1;
  }
  std::vector<std::string> order;
  std::map<std::string, unsigned long long> ticks = StartTicks(log.LinesOf(run.pid), &order);
  size_t warden_commands = installation.WardenCalls().size();
  double process_ms = BareProcessMs();

  std::printf("whole last-product uninstall: %.1f ms (exit code %lu, %zu items installed)\n",
              run.elapsed_ms, run.exit_code, installation.items().size());
  std::printf(
      "time in each task: its start, then until the first object it triggers started (an "
      "object that waits for several starts when the last is done):\n");
  unsigned long long first = ticks.empty() ? 0 : ticks[order.front()];
  for (const std::string& name : order) {
    unsigned long long start = ticks[name], end = 0;
    auto found = objects.find(name);
    if (found != objects.end()) {
      for (const auto& next : found->second->out_objects()) {
        auto next_tick = ticks.find(next->name());
        if (next_tick != ticks.end() && next_tick->second >= start &&
            (end == 0 || next_tick->second < end)) {
          end = next_tick->second;
        }
      }
    }
    if (end)
      std::printf("  +%6llu ms  %-32s %6llu ms\n", start - first, name.c_str(), end - start);
    else
      std::printf("  +%6llu ms  %-32s (triggers nothing that ran: ends with the run)\n",
                  start - first, name.c_str());
  }
  // Children waited for: each Warden command, and regsvr32 for the browser add-on.
  double children_ms = static_cast<double>(warden_commands + 1) * process_ms;
  std::printf("unavoidable waits: %.1f ms\n", run.boxes_ms + children_ms);
  std::printf("  message boxes up until answered (2): %.1f ms\n", run.boxes_ms);
  std::printf(
      "  child processes waited for (%zu Warden commands + regsvr32) at %.1f ms each "
      "(bare process start and exit): %.1f ms\n",
      warden_commands, process_ms, children_ms);
  std::printf("the rest, the uninstall's own work and Wine's process starts: %.1f ms\n",
              run.elapsed_ms - run.boxes_ms - children_ms);
  return 0;
}
