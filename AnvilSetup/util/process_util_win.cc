#include "util/process_util_win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include "base/scoped_handle_win.h"

namespace setup_util {

bool GetProcessImagePath(HANDLE process, std::wstring* path) {
  HMODULE first_module = nullptr;
  DWORD needed = 0;
  if (!EnumProcessModules(process, &first_module, sizeof(first_module), &needed) || !first_module) {
    return false;
  }
  wchar_t buffer[MAX_PATH * 2];
  DWORD length = GetModuleFileNameExW(process, first_module, buffer, MAX_PATH * 2);
  if (length == 0)
    return false;
  path->assign(buffer, length);
  return true;
}

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> processes;
  base::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid())
    return processes;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    processes.push_back({entry.th32ProcessID, entry.szExeFile});
  }
  return processes;
}

bool KillProcessesByModuleName(const std::wstring& module_name) {
  bool killed = false;
  for (const ProcessEntry& entry : ListProcesses()) {
    base::ScopedHandle process(
        OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE,
                    FALSE, entry.pid));
    std::wstring path;
    if (!process.IsValid() || !GetProcessImagePath(process.Get(), &path))
      continue;
    wchar_t long_path[MAX_PATH * 2];
    DWORD length = GetLongPathNameW(path.c_str(), long_path, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2)
      path.assign(long_path, length);
    size_t slash = path.find_last_of(L'\\');
    std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (_wcsicmp(file.c_str(), module_name.c_str()) == 0 && TerminateProcess(process.Get(), 0))
      killed = true;
  }
  return killed;
}

}  // namespace setup_util
