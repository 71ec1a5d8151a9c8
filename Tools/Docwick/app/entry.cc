#include "app/entry.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_args.h"
#include "app/log.h"
#include "runner/runner_factory.h"

namespace docwick {

namespace {

// The log is flushed on every way out of the entry.
class ScopedLogFlush {
 public:
  ScopedLogFlush() = default;
  ~ScopedLogFlush() { FlushLog(); }
  ScopedLogFlush(const ScopedLogFlush&) = delete;
  ScopedLogFlush& operator=(const ScopedLogFlush&) = delete;
};

std::vector<std::wstring> SplitCommandLine(const wchar_t* command_line) {
  std::vector<std::wstring> args;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(command_line, &count);
  if (!argv)
    return args;
  for (int i = 0; i < count; ++i)
    args.push_back(argv[i]);
  LocalFree(argv);
  return args;
}

}  // namespace

int RunDocwick(const wchar_t* command_line) {
  const wchar_t* raw = command_line ? command_line : L"";
  DW_LOG_INFO(L"WinMain", "wWinMain", L"CommandLine [%s]", raw);
  FlushLog();
  ScopedLogFlush flushAtExit;

  CommandArgs args;
  if (!ParseCommandArgs(SplitCommandLine(raw), &args))
    return kExitBadCommandLine;

  std::shared_ptr<IRunner> runner = RunnerFactory(args.command);
  if (!runner) {
    DW_LOG_ERROR(L"WinMain", "wWinMain", L"Runner not found");
    return kExitBadCommandLine;
  }
  int code = runner->Run(args.command, args.params);
  runner.reset();
  return code;
}

}  // namespace docwick
