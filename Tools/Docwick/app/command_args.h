// The two switches of a Docwick command line, found in an already split argument list.
#pragma once

#include <string>
#include <vector>

namespace docwick {

struct CommandArgs {
  std::wstring command;  // text after "--command="
  std::wstring params;   // text after "--params=", untouched
};

// The first element beginning with each (case-sensitive) prefix counts; others are ignored.
// False when either switch is missing.
bool ParseCommandArgs(const std::vector<std::wstring>& args, CommandArgs* out);

}  // namespace docwick
