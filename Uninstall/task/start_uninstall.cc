#include "task/start_uninstall.h"

#include <windows.h>

#include "base/scoped_handle_win.h"
#include "setup/setup_context.h"
#include "task/task_class_registry.h"

namespace uninstall {

namespace {

const wchar_t kSetupMutexName[] = L"_KS~Pelican~0824";
const wchar_t kCaption[] = L"提示";
const wchar_t kAlreadyRunning[] = L"已有安装程序正在运行，请稍后卸载。";
const wchar_t kConfirm[] = L"您确定要卸载此产品吗？";

// Kept open for the life of the process so that the name blocks a second setup.
base::ScopedHandle& SetupMutex() {
  static base::ScopedHandle* mutex = new base::ScopedHandle();
  return *mutex;
}

}  // namespace

void StartUninstall::Run(task_object::RuntimeObject*) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kSetupMutexName);
  const DWORD error = GetLastError();
  SetupMutex().Reset(mutex);
  if (mutex && error == ERROR_ALREADY_EXISTS) {
    MessageBoxW(nullptr, kAlreadyRunning, kCaption, MB_ICONINFORMATION | MB_OK);
    SetupContext::SetStringValue("CheckResult", "ResultCancel");
    return;
  }
  int answer = MessageBoxW(nullptr, kConfirm, kCaption, MB_ICONINFORMATION | MB_YESNO);
  SetupContext::SetStringValue("CheckResult", answer == IDYES ? "ResultOK" : "ResultCancel");
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::StartUninstall, StartUninstall)
