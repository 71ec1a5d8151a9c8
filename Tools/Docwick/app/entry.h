// Docwick's whole run for one raw command line (program name excluded); returns the exit code.
#pragma once

namespace docwick {

const int kExitBadCommandLine = 1028;

int RunDocwick(const wchar_t* command_line);

}  // namespace docwick
