#include "app/command_args.h"

namespace docwick {

namespace {

const std::wstring kCommandPrefix = L"--command=";
const std::wstring kParamsPrefix = L"--params=";

const std::wstring* FindFirst(const std::vector<std::wstring>& args, const std::wstring& prefix) {
  for (const std::wstring& arg : args) {
    if (arg.compare(0, prefix.size(), prefix) == 0)
      return &arg;
  }
  return nullptr;
}

}  // namespace

bool ParseCommandArgs(const std::vector<std::wstring>& args, CommandArgs* out) {
  const std::wstring* command = FindFirst(args, kCommandPrefix);
  if (!command)
    return false;
  const std::wstring* params = FindFirst(args, kParamsPrefix);
  if (!params)
    return false;
  out->command = command->substr(kCommandPrefix.size());
  out->params = params->substr(kParamsPrefix.size());
  return true;
}

}  // namespace docwick
