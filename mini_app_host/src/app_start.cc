#include "app_start.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "skiff_ipc.h"
#include "utf8.h"

namespace ternapp {

namespace {

void QuitApp(SkiffApp*) {
  PostMessageW(nullptr, WM_QUIT, 0, 0);
}

}  // namespace

std::wstring SiblingPath(const std::wstring& exe_path, const wchar_t* name, const wchar_t* ext) {
  wchar_t drive[_MAX_DRIVE] = {};
  wchar_t folder[_MAX_DIR] = {};
  if (_wsplitpath_s(exe_path.c_str(), drive, _MAX_DRIVE, folder, _MAX_DIR, nullptr, 0, nullptr,
                    0) != 0)
    return std::wstring();
  return std::wstring(drive) + folder + name + ext;
}

void onAppStart(SkiffApp* app) {
  const char* name = skiffGetSrcAppName();
  if (name && *name)
    IPCStartup((std::string(name) + "_" + std::to_string(GetCurrentProcessId())).c_str());

  wchar_t exe[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  // A path cut at 260 characters would name the wrong folder: load nothing then.
  if (n > 0 && n < MAX_PATH) {
    SkiffEngine* engine = skiffGetScriptEngine(app);
    for (const wchar_t* module : {L"PelicanService", L"PelicanIPC"}) {
      std::wstring path = SiblingPath(exe, module, L".dll");
      if (!path.empty())
        skiffModuleRequireDLL(engine, Utf8FromWide(path).c_str());
    }
  }

  SkiffApplicationCallback record = {app, nullptr, nullptr, QuitApp};
  skiffSetApplicationCallback(app, &record);
}

}  // namespace ternapp
