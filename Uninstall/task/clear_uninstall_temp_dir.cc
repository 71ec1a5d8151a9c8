#include "task/clear_uninstall_temp_dir.h"

#include <windows.h>

#include <string>

#include "setup/setup_context.h"
#include "task/task_class_registry.h"
#include "util/removal_util_win.h"

namespace after_install {

namespace {

// Children before their folder: the system performs the entries in registration order and
// removes a folder only once it is empty.
void RegisterLeftoversAtRestart(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring path = folder + L"\\" + name;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RegisterLeftoversAtRestart(path);
      } else {
        setup_util::DeleteAtRestart(path);
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  setup_util::DeleteAtRestart(folder);
}

}  // namespace

void ClearUninstallTempDir::Run(task_object::RuntimeObject*) {
  std::wstring folder;
  if (!SetupContext::GetWStringValue("DeleteFileTempPath", &folder) || folder.empty())
    return;
  if (!setup_util::DeleteTree(folder, true))
    RegisterLeftoversAtRestart(folder);
}

}  // namespace after_install

REGISTER_TASK_CLASS(after_install::ClearUninstallTempDir, ClearUninstallTempDir)
