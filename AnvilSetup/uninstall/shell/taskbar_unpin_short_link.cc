#include "uninstall/shell/taskbar_unpin_short_link.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "base/scoped_handle_win.h"
#include "setup/setup_context.h"
#include "task/task_class_registry.h"
#include "uninstall/shell/path_containment.h"
#include "uninstall/shell/shell_pin_win.h"
#include "uninstall/shell/windows_version_win.h"

namespace uninstall {

namespace {

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool GetFolder(int csidl, std::wstring* folder) {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
    return false;
  folder->assign(path);
  return true;
}

// Shortcuts directly in `folder` whose target lies inside the installation directory.
void UnpinShortcutsInto(const std::wstring& folder, const std::wstring& install_dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.lnk").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  std::vector<std::wstring> shortcuts;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      shortcuts.push_back(folder + L"\\" + data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  for (const std::wstring& shortcut : shortcuts) {
    std::wstring target;
    if (ResolveShortcutTarget(shortcut, &target) && IsPathInsideDirectory(target, install_dir))
      UnpinShellItem(shortcut);
  }
}

}  // namespace

void TaskbarUnpinShortLink::Run(task_object::RuntimeObject*) {
  // There is no pin list before Windows Vista.
  if (WindowsMajorVersion() < 6)
    return;
  std::wstring programs;
  if (GetFolder(CSIDL_COMMON_PROGRAMS, &programs)) {
    std::wstring menu_shortcut = programs + L"\\Corvane\x8F6F\x4EF6\\Tern\\Tern.lnk";
    if (FileExists(menu_shortcut))
      UnpinShellItem(menu_shortcut);
  }
  std::wstring appdata;
  if (!GetFolder(CSIDL_APPDATA, &appdata))
    return;
  std::wstring install_dir;
  SetupContext::GetWStringValue("PreviousInstallPath", &install_dir);
  const std::wstring pinned =
      appdata + L"\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned";
  UnpinShortcutsInto(pinned + L"\\TaskBar", install_dir);
  UnpinShortcutsInto(pinned + L"\\StartMenu", install_dir);
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::TaskbarUnpinShortLink, TaskbarUnpinShortLink)
