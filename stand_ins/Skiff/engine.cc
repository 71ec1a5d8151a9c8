// App lifecycle, the engine's log, module registry and the app file's actions.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine_internal.h"

namespace skiff {

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;
SkiffApp* g_app = nullptr;
SkiffEngine g_engine;
std::string g_download_directory;
std::map<std::string, std::unique_ptr<SkiffModule>> g_modules;
std::map<std::string, std::unique_ptr<SkiffModuleRegister>> g_registers;

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty())
    return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
    text->append(chunk, got);
  CloseHandle(file);
  return true;
}

// Test-only: a filter that would end the process with 77 if it ever got installed.
LONG WINAPI EngineFilter(EXCEPTION_POINTERS*) {
  TerminateProcess(GetCurrentProcess(), 77);
  return EXCEPTION_CONTINUE_SEARCH;
}

int ToInt(const Action& a, size_t i) {
  return i < a.size() ? std::atoi(a[i].c_str()) : 0;
}

HostFunction* FindFunction(const std::string& module, const std::string& name) {
  auto it = g_modules.find(module);
  if (it == g_modules.end())
    return nullptr;
  for (HostFunction& f : it->second->functions) {
    const char* n = f.get_name ? f.get_name(f.record) : nullptr;
    if (n && name == n)
      return &f;
  }
  return nullptr;
}

void RunAction(const Action& a, SkiffContainer* c) {
  const std::string& op = a[0];
  SkiffView* view = c ? c->view : nullptr;
  if (op == "fill" && c) {
    uint32_t r = ToInt(a, 1) & 0xFF, g = ToInt(a, 2) & 0xFF, b = ToInt(a, 3) & 0xFF;
    c->color = 0xFF000000u | (r << 16) | (g << 8) | b;
  } else if (op == "invalidate" && c && c->callbacks && c->callbacks->onInvalidate) {
    c->callbacks->onInvalidate(c->callbacks->owner, ToInt(a, 1), ToInt(a, 2), ToInt(a, 3),
                               ToInt(a, 4));
  } else if (op == "resize" && c && c->callbacks && c->callbacks->onResize) {
    c->callbacks->onResize(c->callbacks->owner, ToInt(a, 1), ToInt(a, 2), ToInt(a, 3), ToInt(a, 4));
  } else if (op == "require" && a.size() == 2) {
    if (!view || !view->host.requestHostFuncs) {
      Log("require " + a[1] + " host-calls-off");
      return;
    }
    SkiffModule* module = ModuleNamed(a[1]);
    module->functions.clear();
    view->host.requestHostFuncs(module, a[1].c_str());
    std::string line = "require " + a[1] + " functions=" + std::to_string(module->functions.size());
    for (HostFunction& f : module->functions) {
      const char* n = f.get_name ? f.get_name(f.record) : nullptr;
      line += std::string(" ") + (n ? n : "(null)");
    }
    Log(line);
  } else if (op == "calltext" && a.size() >= 4) {
    HostFunction* f = FindFunction(a[1], a[2]);
    if (!f) {
      Log("calltext " + a[1] + "." + a[2] + " unknown");
      return;
    }
    BOOL ok = f->call_text(f->record, a[3].c_str());
    Log("calltext " + a[1] + "." + a[2] + " -> " + (ok ? "1" : "0"));
  } else if (op == "callvalues" && a.size() >= 4) {
    HostFunction* f = FindFunction(a[1], a[2]);
    if (!f) {
      Log("callvalues " + a[1] + "." + a[2] + " unknown");
      return;
    }
    std::vector<SkiffValue> args;
    for (size_t i = 4; i < a.size(); ++i) {
      SkiffValue v;
      if (MakeArgument(a[i], &v))
        args.push_back(v);
    }
    // A function passed to the host carries one reference the host gives back with release.
    for (SkiffValue& v : args) {
      if (Helpers()->isFunction(&v))
        ++static_cast<ScriptObject*>(v.u.ref)->refs;
    }
    SkiffValue result = {};
    BOOL ok = f->call_values(f->record, a[3].c_str(), args.empty() ? nullptr : args.data(),
                             static_cast<int>(args.size()), &result, Helpers());
    Log("callvalues " + a[1] + "." + a[2] + " ok=" + (ok ? "1" : "0") +
        " result=" + (result.kind ? Render(result) : "unset"));
    for (SkiffValue& v : args)
      ReleaseValue(&v);
    ReleaseValue(&result);
  } else if (op == "unload" && a.size() == 2) {
    Log("unload " + a[1]);
    if (view && view->module.notify)
      view->module.notify(a[1].c_str());
    ForgetModule(a[1]);
  } else if (op == "quit") {
    Log("quit");
    if (g_app && g_app->has_callback && g_app->callback.quit)
      g_app->callback.quit(g_app);
  } else if (op == "log") {
    std::string line;
    for (size_t i = 1; i < a.size(); ++i)
      line += (i > 1 ? " " : "") + a[i];
    Log(line);
  } else if (op == "threadid") {
    Log("thread " + std::to_string(GetCurrentThreadId()));
  } else if (op == "setfilter") {
    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(EngineFilter);
    Log(std::string("setfilter previous=") + (previous ? "set" : "null"));
  } else if (op == "crash") {
    // Test-only: an app that crashes, to drive the host's crash hand-off.
    Log("crash");
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  } else {
    Log("unknown action " + op);
  }
}

}  // namespace

void OpenLog(const std::string& path) {
  if (path.empty() || g_log != INVALID_HANDLE_VALUE)
    return;
  g_log = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_ALWAYS, 0, nullptr);
}

void CloseLog() {
  if (g_log != INVALID_HANDLE_VALUE)
    CloseHandle(g_log);
  g_log = INVALID_HANDLE_VALUE;
}

void Log(const std::string& line) {
  if (g_log == INVALID_HANDLE_VALUE)
    return;
  std::string text = line + "\n";
  DWORD written = 0;
  // Unbuffered, so the lines survive a crash.
  WriteFile(g_log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

SkiffApp* CurrentApp() {
  return g_app;
}

void RunHandler(const std::string& event, SkiffContainer* container) {
  if (!g_app)
    return;
  auto it = g_app->script.handlers.find(event);
  if (it == g_app->script.handlers.end())
    return;
  // Copy: an action may end the app.
  std::vector<Action> actions = it->second;
  for (const Action& action : actions)
    RunAction(action, container);
}

SkiffModule* ModuleNamed(const std::string& name) {
  std::unique_ptr<SkiffModule>& slot = g_modules[name];
  if (!slot) {
    slot = std::make_unique<SkiffModule>();
    slot->name = name;
  }
  return slot.get();
}

bool ModuleExists(const std::string& name) {
  return g_modules.count(name) != 0;
}

void ForgetModule(const std::string& name) {
  g_modules.erase(name);
}

}  // namespace skiff

using skiff::Log;

extern "C" {

SkiffApp* skiffStartApp(const char* command_line_utf8, SkiffAppStartProc on_start) {
  if (skiff::g_app || !command_line_utf8)
    return nullptr;
  std::string path = skiff::FindSwitch(command_line_utf8, "app");
  std::string text, error;
  auto app = std::make_unique<SkiffApp>();
  if (path.empty() || !skiff::ReadWholeFile(path, &text) ||
      !skiff::ParseAppScript(text, &app->script, &error))
    return nullptr;
  skiff::g_app = app.release();
  skiff::OpenLog(skiff::g_app->script.log_path);
  Log("start " + skiff::g_app->script.name);
  if (on_start)
    on_start(skiff::g_app);
  skiff::RunHandler("start", nullptr);
  return skiff::g_app;
}

void skiffEndApp(SkiffApp* app) {
  if (!app || app != skiff::g_app)
    return;
  skiff::RunHandler("end", nullptr);
  Log("end");
  skiff::CloseLog();
  skiff::g_modules.clear();
  delete skiff::g_app;
  skiff::g_app = nullptr;
}

const char* skiffGetSrcAppName(void) {
  return skiff::g_app ? skiff::g_app->script.name.c_str() : "";
}

SkiffEngine* skiffGetScriptEngine(SkiffApp* app) {
  return app ? &skiff::g_engine : nullptr;
}

BOOL skiffModuleRequireDLL(SkiffEngine* engine, const char* path_utf8) {
  if (!engine || !path_utf8)
    return FALSE;
  HMODULE module = LoadLibraryW(skiff::Wide(path_utf8).c_str());
  Log(std::string("require-dll ") + path_utf8 + (module ? " loaded" : " missing"));
  return module ? TRUE : FALSE;
}

void skiffSetApplicationCallback(SkiffApp* app, const SkiffApplicationCallback* record) {
  if (!app || !record)
    return;
  app->callback = *record;
  app->has_callback = true;
  Log(std::string("app-callback zero=") +
      (record->reserved1 == nullptr && record->reserved2 == nullptr ? "1" : "0") +
      " same-app=" + (record->app == app ? "1" : "0"));
}

void skiffHTTPSetDownloadDirectory(const char* directory_utf8) {
  skiff::g_download_directory = directory_utf8 ? directory_utf8 : "";
  Log("download-dir " + skiff::g_download_directory);
}

double skiffGetPixelScale(void) {
  return skiff::g_app ? skiff::g_app->script.scale : 1.0;
}

BOOL skiffModuleCallbackRegister(SkiffModule* module,
                                 SkiffHostGetName get_name,
                                 SkiffHostCallText call_text,
                                 SkiffHostCallValues call_values,
                                 void* record) {
  if (!module || !get_name || !call_text || !call_values)
    return FALSE;
  module->functions.push_back({get_name, call_text, call_values, record});
  return TRUE;
}

SkiffModuleRegister* skiffGetModuleRegister(const char* name) {
  if (!name)
    return nullptr;
  std::unique_ptr<SkiffModuleRegister>& slot = skiff::g_registers[name];
  if (!slot) {
    slot = std::make_unique<SkiffModuleRegister>();
    slot->name = name;
  }
  return slot.get();
}

void* skiffModuleGetHostFuncs(SkiffModuleRegister* reg, const char* name) {
  if (!reg || !name || !skiff::ModuleExists(name))
    return nullptr;
  SkiffModule* module = skiff::ModuleNamed(name);
  return module->functions.empty() ? nullptr : module->functions.data();
}

}  // extern "C"
