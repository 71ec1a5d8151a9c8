#include <windows.h>
#include <shellapi.h>

#include "base/command_line.h"

namespace base {

CommandLine CommandLineFromString(const wchar_t* command_line) {
  std::vector<std::wstring> argv;
  int count = 0;
  wchar_t** args = CommandLineToArgvW(command_line, &count);
  if (args) {
    for (int i = 0; i < count; ++i)
      argv.push_back(args[i]);
    LocalFree(args);
  }
  return CommandLine(argv);
}

}  // namespace base
