// Process helpers shared by the uninstall tasks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace setup_util {

// Full path of the process's first module; false when it cannot be opened or read.
bool GetProcessImagePath(HANDLE process, std::wstring* path);

struct ProcessEntry {
  DWORD pid;
  std::wstring exe_name;
};
// Every process of a snapshot, the calling process included.
std::vector<ProcessEntry> ListProcesses();

// Terminates (exit code 0) every process whose first module's long path ends in
// "\" + `module_name` (compared without regard to case). Does not wait for the ends.
// True when at least one process was terminated.
bool KillProcessesByModuleName(const std::wstring& module_name);

}  // namespace setup_util
