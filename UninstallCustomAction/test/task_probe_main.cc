// TEST ONLY: runs task classes of the uninstaller in a fresh process, for tests that need
// a process started after a prefix setting changed (the reported Windows version).
//   uninstall_task_probe.exe [--set=<key>=<value>]... <ClassName>...
// Context values are set as wide strings; classes run one after another on this thread.
// Exit code 0, or 2 when a class name is not registered.
#include <windows.h>

#include <memory>
#include <string>

#include "base/at_exit.h"
#include "setup/setup_context.h"
#include "task/task_base.h"
#include "task/task_class_registry.h"

namespace {

std::string Utf8(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  base::AtExitManager at_exit;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.rfind(L"--set=", 0) == 0) {
      std::wstring pair = arg.substr(6);
      size_t equals = pair.find(L'=');
      if (equals != std::wstring::npos)
        SetupContext::SetWStringValue(Utf8(pair.substr(0, equals)), pair.substr(equals + 1));
      continue;
    }
    std::unique_ptr<task::TaskBase> task = task::CreateTaskByClassName(Utf8(arg));
    if (!task)
      return 2;
    task->Run(nullptr);
  }
  return 0;
}
