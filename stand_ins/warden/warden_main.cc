// Warden.exe stand-in. Appends its switches (the command line after the program) as one line
// to warden_calls.txt beside itself (or to the file that WARDEN_STAND_IN_RECORD names, for
// tests whose task deletes the program's folder), then acts on warden_behaviour.txt beside itself:
// each line
// "<text>=<exit code>" or "<text>=hang" applies when the switches contain <text> ("*" matches
// any); the first matching line wins, no match exits 0. A hanging run waits until it is
// terminated. Like the component, "/utwardencore" stops and deletes the WardenCore service and
// "/irwardencore" starts it again where it is still installed. The version data file
// WardenVi.dat is the test's to place.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

std::string Narrow(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string result(size > 0 ? size - 1 : 0, '\0');
  if (size > 1)
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], size, nullptr, nullptr);
  return result;
}

// The command line after the program name, as the caller wrote it.
std::string Switches() {
  const wchar_t* line = GetCommandLineW();
  bool quoted = false;
  while (*line && (quoted || (*line != L' ' && *line != L'\t'))) {
    if (*line == L'"')
      quoted = !quoted;
    ++line;
  }
  while (*line == L' ' || *line == L'\t')
    ++line;
  return Narrow(line);
}

// The core service part of a command, done through the real service control manager.
void ActOnCoreService(const std::string& switches) {
  bool uninstall = switches.find("/utwardencore") != std::string::npos;
  bool install = switches.find("/irwardencore") != std::string::npos;
  if (!uninstall && !install)
    return;
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = manager ? OpenServiceW(manager, L"WardenCore", SERVICE_ALL_ACCESS) : nullptr;
  if (service && uninstall) {
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    DeleteService(service);
  } else if (service) {
    StartServiceW(service, 0, nullptr);
  }
  if (service)
    CloseServiceHandle(service);
  if (manager)
    CloseServiceHandle(manager);
}

// The exit code the behaviour file gives these switches; hangs where it says so.
int ExitCodeFor(const std::wstring& folder, const std::string& switches) {
  std::ifstream behaviour((folder + L"\\warden_behaviour.txt").c_str());
  for (std::string line; std::getline(behaviour, line);) {
    size_t equals = line.rfind('=');
    if (equals == std::string::npos)
      continue;
    std::string text = line.substr(0, equals), action = line.substr(equals + 1);
    if (text != "*" && switches.find(text) == std::string::npos)
      continue;
    if (action == "hang") {
      Sleep(INFINITE);
    }
    return static_cast<int>(strtoul(action.c_str(), nullptr, 10));
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
  const std::wstring folder = OwnFolder();
  const std::string switches = Switches();
  {
    // Serialised through a named mutex: the task starts one command at a time, but a test may
    // run several tasks side by side.
    HANDLE lock = CreateMutexW(nullptr, FALSE, L"Local\\WardenStandInCalls");
    WaitForSingleObject(lock, 10000);
    wchar_t record[MAX_PATH] = {};
    std::wstring calls_path = GetEnvironmentVariableW(L"WARDEN_STAND_IN_RECORD", record, MAX_PATH)
                                  ? std::wstring(record)
                                  : folder + L"\\warden_calls.txt";
    std::ofstream calls(calls_path.c_str(), std::ios::app | std::ios::binary);
    calls << switches << "\n";
    calls.close();
    ReleaseMutex(lock);
    CloseHandle(lock);
  }
  int code = ExitCodeFor(folder, switches);
  ActOnCoreService(switches);
  return code;
}
