// TernApp: runs one mini-app for the client, window-less.
#include <windows.h>

#include <string>

#include "app_start.h"
#include "channel_setup.h"
#include "conduit.h"
#include "message_loop.h"
#include "skiff.h"
#include "skiff_ipc.h"
#include "tern_app_host.h"
#include "utf8.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring command_line = GetCommandLineW();
  std::string utf8 = ternapp::Utf8FromWide(command_line);
  if (utf8.empty())
    return 0;
  SkiffApp* app = skiffStartApp(utf8.c_str(), ternapp::onAppStart);
  // Without an app nothing would ever post the quit: end instead of waiting forever.
  if (!app) {
    IPCCleanup();
    return 0;
  }
  ternapp::SetUpChannel(command_line, utf8);
  ternapp::RunMessageLoop();
  DestroyServerChannel(ternapp::kChannelId);
  skiffEndApp(app);
  IPCCleanup();
  return 0;
}
