// The process command line: the program and its switches ("--name=value", "-name=value",
// "--name"; on Windows also "/name").
#pragma once

#include <map>
#include <string>
#include <vector>

namespace base {

class CommandLine {
 public:
  CommandLine() = default;
  explicit CommandLine(const std::vector<std::wstring>& argv);

  bool HasSwitch(const std::string& name) const;
  // Empty when the switch is absent or has no value.
  std::wstring GetSwitchValue(const std::string& name) const;
  std::string GetSwitchValueASCII(const std::string& name) const;
  const std::vector<std::wstring>& argv() const { return argv_; }

 private:
  std::vector<std::wstring> argv_;
  std::map<std::string, std::wstring> switches_;
};

#if defined(_WIN32)
// Splits a Windows command line (GetCommandLineW) by the system's own rules.
CommandLine CommandLineFromString(const wchar_t* command_line);
#endif

}  // namespace base
