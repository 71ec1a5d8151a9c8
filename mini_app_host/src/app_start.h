// What the host does once the engine has started the app: IPC start-up, the two module DLLs
// beside the executable, and the quit callback.
#pragma once

#include <string>

#include "skiff.h"

namespace ternapp {

void onAppStart(SkiffApp* app);

// drive + folder of `exe_path` + name + extension, as _wsplitpath_s splits it.
std::wstring SiblingPath(const std::wstring& exe_path, const wchar_t* name, const wchar_t* ext);

}  // namespace ternapp
