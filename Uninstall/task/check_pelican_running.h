// Second task (UI thread): refuses to go on while a client of the maker runs (Retry /
// Cancel box), then ends "warden.exe" processes. Writes CheckResult.
#pragma once

#include <string>

#include "task/task_base.h"

namespace uninstall {

class CheckPelicanRunning : public task::TaskBase {
 public:
  void Run(task_object::RuntimeObject* runtime_object) override;
};

// "[ProductName]" -> "Tern", then each backslash-n pair -> line feed.
std::wstring ExpandProductText(const std::wstring& text);

}  // namespace uninstall
