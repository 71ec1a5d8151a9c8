// ClientEnumServer.exe: a stand-in for the client's enumeration service.
//   /RegServer --entries=PATH [--record=PATH]   register (the switches go on the server's
//                                               registered command line)
//   /UnregServer                                unregister
//   --entries=PATH [--record=PATH] -Embedding   started by COM: serve until the last object
//                                               goes, or for a minute when none is created
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "client_enum.h"
#include "objects.h"
#include "registration.h"

namespace {

const DWORD kIdleLimitMs = 60000;

std::vector<std::wstring> Arguments() {
  std::vector<std::wstring> args;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv)
    return args;
  for (int i = 1; i < count; ++i)
    args.push_back(argv[i]);
  LocalFree(argv);
  return args;
}

std::wstring QuoteArg(const std::wstring& arg) {
  // Paths of the tests hold no quotes; blanks are all that need quoting.
  return L"\"" + arg + L"\"";
}

int Serve(const client_enum::ServerOptions& options) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
    return 1;
  client_enum::SetServerOptions(options);
  client_enum::Record(L"Start");
  DWORD cookie = 0;
  HRESULT hr = CoRegisterClassObject(__uuidof(ClientEnumService), client_enum::ServiceFactory(),
                                     CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
  if (SUCCEEDED(hr)) {
    WaitForSingleObject(client_enum::NoObjectsLeftEvent(), kIdleLimitMs);
    CoRevokeClassObject(cookie);
  }
  client_enum::Record(L"Exit");
  CoUninitialize();
  return SUCCEEDED(hr) ? 0 : 1;
}

}  // namespace

extern "C" int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  client_enum::ServerOptions options;
  bool reg = false;
  bool unreg = false;
  for (const std::wstring& arg : Arguments()) {
    if (arg == L"/RegServer")
      reg = true;
    else if (arg == L"/UnregServer")
      unreg = true;
    else if (arg.compare(0, 10, L"--entries=") == 0)
      options.entries_path = arg.substr(10);
    else if (arg.compare(0, 9, L"--record=") == 0)
      options.record_path = arg.substr(9);
  }
  if (unreg)
    return client_enum::UnregisterServer() ? 0 : 1;
  if (reg) {
    std::wstring args = QuoteArg(L"--entries=" + options.entries_path);
    if (!options.record_path.empty())
      args += L" " + QuoteArg(L"--record=" + options.record_path);
    return client_enum::RegisterServer(args) ? 0 : 1;
  }
  return Serve(options);
}
