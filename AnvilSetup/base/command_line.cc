#include "base/command_line.h"

#include "base/utf_string_conversions.h"

namespace base {

CommandLine::CommandLine(const std::vector<std::wstring>& argv) : argv_(argv) {
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::wstring& arg = argv[i];
    size_t prefix = 0;
    if (arg.compare(0, 2, L"--") == 0)
      prefix = 2;
    else if (!arg.empty() && (arg[0] == L'-' || (arg[0] == L'/' && sizeof(wchar_t) == 2)))
      prefix = 1;
    if (prefix == 0 || arg.size() == prefix)
      continue;
    size_t eq = arg.find(L'=', prefix);
    std::wstring name = arg.substr(prefix, eq == std::wstring::npos ? eq : eq - prefix);
    std::wstring value = eq == std::wstring::npos ? std::wstring() : arg.substr(eq + 1);
    switches_[WideToUTF8(name)] = value;
  }
}

bool CommandLine::HasSwitch(const std::string& name) const {
  return switches_.count(name) != 0;
}

std::wstring CommandLine::GetSwitchValue(const std::string& name) const {
  auto found = switches_.find(name);
  return found == switches_.end() ? std::wstring() : found->second;
}

std::string CommandLine::GetSwitchValueASCII(const std::string& name) const {
  return WideToUTF8(GetSwitchValue(name));
}

}  // namespace base
