#include "task/complete_uninstall.h"

#include <windows.h>

#include <string>

#include "base/logging.h"
#include "setup/setup_context.h"
#include "task/self_deletion.h"
#include "task/task_class_registry.h"
#include "util/file_util_win.h"
#include "util/warden_util_win.h"

namespace uninstall {

namespace {

const wchar_t kCaption[] = L"[ProductName]卸载";
const wchar_t kText[] = L"[ProductName]已成功地从您的计算机移除。";

std::wstring Expand(const wchar_t* text) {
  std::wstring expanded = text;
  setup_util::ReplaceAll(&expanded, L"[ProductName]", L"Tern");
  setup_util::ReplaceAll(&expanded, L"\\n", L"\n");
  return expanded;
}

std::wstring OwnExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0)
      return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

void HandBackWardenComponent() {
  setup_util::UnregisterWardenProduct();
  int count = setup_util::WardenProductCount();
  LOG(INFO) << "After CompleteUninstall::Run(): product info: count=" << count;
  // Undo DisableWarden for the products that still use the component.
  if (count != 0 || setup_util::OtherWardenProductRegistered()) {
    setup_util::WardenInstallCoreService();
    if (!setup_util::WardenWriteUpdateFlag(false))
      LOG(INFO) << "WardenWriteUpdateFlag(false) false";
  }
}

void CompleteUninstall::Run(task_object::RuntimeObject*) {
  HandBackWardenComponent();

  std::wstring temp_folder;
  SetupContext::GetWStringValue("DeleteFileTempPath", &temp_folder);
  std::wstring exe = OwnExecutablePath();
  if (!exe.empty())
    ScheduleSelfDeletion(exe, temp_folder);

  MessageBoxW(nullptr, Expand(kText).c_str(), Expand(kCaption).c_str(),
              MB_ICONINFORMATION | MB_OK | MB_SYSTEMMODAL);
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::CompleteUninstall, CompleteUninstall)
