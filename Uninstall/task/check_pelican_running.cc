#include "task/check_pelican_running.h"

#include <windows.h>

#include "base/logging.h"
#include "setup/setup_context.h"
#include "task/maker_process_filter.h"
#include "task/task_class_registry.h"
#include "util/process_util_win.h"

namespace uninstall {

namespace {

const wchar_t kRunningCaption[] = L"[ProductName]正在运行";
const wchar_t kRunningText[] =
    L"[ProductName]正在运行，安装无法继续。\r\n"
    L"请关闭[ProductName]并单击「重试」，或者单击「取消」退出安装。";

void ReplaceAll(std::wstring* text, const std::wstring& pattern, const std::wstring& by) {
  for (size_t at = text->find(pattern); at != std::wstring::npos;
       at = text->find(pattern, at + by.size())) {
    text->replace(at, pattern.size(), by);
  }
}

bool IsClientRunning() {
  return !FindMakerProcesses(L"Tern.exe").empty() || !FindMakerProcesses(L"TernApp.exe").empty();
}

}  // namespace

std::wstring ExpandProductText(const std::wstring& text) {
  std::wstring expanded = text;
  ReplaceAll(&expanded, L"[ProductName]", L"Tern");
  ReplaceAll(&expanded, L"\\n", L"\n");
  return expanded;
}

void CheckPelicanRunning::Run(task_object::RuntimeObject*) {
  while (IsClientRunning()) {
    int answer = MessageBoxW(nullptr, ExpandProductText(kRunningText).c_str(),
                             ExpandProductText(kRunningCaption).c_str(),
                             MB_ICONWARNING | MB_RETRYCANCEL | MB_SYSTEMMODAL);
    if (answer != IDRETRY) {
      SetupContext::SetStringValue("CheckResult", "ResultCancel");
      return;
    }
  }
  setup_util::KillProcessesByModuleName(L"warden.exe");
  SetupContext::SetStringValue("CheckResult", "ResultOK");
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::CheckPelicanRunning, CheckPelicanRunning)
