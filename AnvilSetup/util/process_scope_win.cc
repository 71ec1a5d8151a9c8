#include "util/process_scope_win.h"

#include <windows.h>

#include "base/scoped_handle_win.h"
#include "util/process_util_win.h"

namespace setup_util {

namespace {

bool MakeAbsolute(const std::wstring& path, std::wstring* absolute) {
  if (path.empty())
    return false;
  wchar_t buffer[MAX_PATH * 2];
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH * 2)
    return false;
  absolute->assign(buffer, length);
  return true;
}

}  // namespace

bool IsPathInsideDirectory(const std::wstring& path, const std::wstring& directory) {
  std::wstring file, folder;
  if (!MakeAbsolute(path, &file) || !MakeAbsolute(directory, &folder))
    return false;
  while (!folder.empty() && folder.back() == L'\\')
    folder.pop_back();
  if (folder.empty() || file.size() <= folder.size() + 1)
    return false;
  return _wcsnicmp(file.c_str(), folder.c_str(), folder.size()) == 0 &&
         file[folder.size()] == L'\\';
}

bool KillProcessesInDirectory(const std::wstring& directory, const std::wstring& exe_name) {
  bool killed = false;
  for (const ProcessEntry& entry : ListProcesses()) {
    if (_wcsicmp(entry.exe_name.c_str(), exe_name.c_str()) != 0)
      continue;
    base::ScopedHandle process(
        OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE,
                    FALSE, entry.pid));
    std::wstring image;
    if (!process.IsValid() || !GetProcessImagePath(process.Get(), &image))
      continue;
    if (IsPathInsideDirectory(image, directory) && TerminateProcess(process.Get(), 0))
      killed = true;
  }
  return killed;
}

}  // namespace setup_util
