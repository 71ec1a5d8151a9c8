// Core service stand-in that a test registers with the service control manager as WardenCore.
// With "--ignore-stop" on its command line it reports RUNNING through a stop request, as a
// hung service would; it then ends only when the test sets the event
// "Global\WardenCoreStandInQuit", reporting STOPPED so the manager's view stays true.
#include <windows.h>

#include <cwchar>

namespace {

SERVICE_STATUS_HANDLE g_status_handle = nullptr;
HANDLE g_stop_event = nullptr;
bool g_ignore_stop = false;

void Report(DWORD state) {
  SERVICE_STATUS status = {};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(g_status_handle, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP && !g_ignore_stop) {
    Report(SERVICE_STOP_PENDING);
    SetEvent(g_stop_event);
  }
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
  g_status_handle = RegisterServiceCtrlHandlerExW(L"WardenCore", Handler, nullptr);
  if (!g_status_handle)
    return;
  Report(SERVICE_RUNNING);
  HANDLE quit = CreateEventW(nullptr, TRUE, FALSE, L"Global\\WardenCoreStandInQuit");
  HANDLE events[] = {g_stop_event, quit};
  WaitForMultipleObjects(2, events, FALSE, INFINITE);
  CloseHandle(quit);
  Report(SERVICE_STOPPED);
}

}  // namespace

int wmain(int, wchar_t**) {
  g_ignore_stop = wcsstr(GetCommandLineW(), L"--ignore-stop") != nullptr;
  g_stop_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  wchar_t name[] = L"WardenCore";
  SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
