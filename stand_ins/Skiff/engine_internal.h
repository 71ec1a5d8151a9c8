// State shared by the stand-in engine's files. Everything runs on the host's one thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "script/app_script.h"
#include "skiff.h"

struct SkiffApp {
  skiff::AppScript script;
  SkiffApplicationCallback callback = {};
  bool has_callback = false;
};

struct SkiffEngine {
  int unused = 0;
};

struct SkiffView {
  std::string name;
  SkiffHostRecord host = {};
  SkiffModuleRecord module = {};
  SkiffContainer* container = nullptr;
};

struct SkiffContainer {
  SkiffContainerFuncs* table = nullptr;
  SkiffEngineCallbacks* callbacks = nullptr;
  SkiffView* view = nullptr;
  uint32_t color = 0xFF000000;  // BGRA in memory order as a little-endian word
};

struct SkiffBitmap {
  uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
};

struct SkiffCanvas {
  SkiffBitmap* bitmap = nullptr;
};

struct HostFunction {
  SkiffHostGetName get_name = nullptr;
  SkiffHostCallText call_text = nullptr;
  SkiffHostCallValues call_values = nullptr;
  void* record = nullptr;
};

struct SkiffModule {
  std::string name;
  std::vector<HostFunction> functions;
};

struct SkiffModuleRegister {
  std::string name;
};

// A string, object or function of the script; `json` is an object's JSON text, `text` a
// string's UTF-8 or a function's name.
struct ScriptObject {
  int refs = 1;
  int kind = SKIFF_VALUE_OBJECT;
  bool is_function = false;
  std::string text;
};

namespace skiff {

void Log(const std::string& line);
void OpenLog(const std::string& path);
void CloseLog();

SkiffApp* CurrentApp();
void RunHandler(const std::string& event, SkiffContainer* container);

SkiffModule* ModuleNamed(const std::string& name);
bool ModuleExists(const std::string& name);
void ForgetModule(const std::string& name);

const SkiffHelpers* Helpers();
std::string Render(const SkiffValue& value);
// Makes a value from a callvalues argument ("i:5", "s:text", "f:name"...).
bool MakeArgument(const std::string& token, SkiffValue* value);
void ReleaseValue(SkiffValue* value);

// Device-pixel fill of a logical rectangle at the app's scale.
void FillRect(SkiffCanvas* canvas, int x, int y, int w, int h, uint32_t color);

}  // namespace skiff
