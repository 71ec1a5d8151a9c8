// The uninstaller's log file in the prefix's profile, read back per process: each test run
// appends to the same file, so readers see only what came after their construction.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uninstall_test {

std::wstring UninstallLogFile();

// The runtime objects of the uninstall branch of the shipped graph, in the order they can start.
extern const char* const kUninstallBranch[17];

class UninstallLog {
 public:
  UninstallLog();

  // Lines appended by process `pid` since construction, prefix included.
  std::vector<std::string> LinesOf(DWORD pid) const;
  // The same lines without their "[...] " prefix.
  std::vector<std::string> MessagesOf(DWORD pid) const;
  // Names from "Start runtime object <name> (class ...)", in log order.
  std::vector<std::string> StartedObjects(DWORD pid) const;
  bool Has(DWORD pid, const std::string& message) const;
  // Index of the first message equal to `message` (or starting with it when `prefix`), or -1.
  int IndexOf(DWORD pid, const std::string& message, bool prefix = false) const;

 private:
  size_t start_;
};

}  // namespace uninstall_test
