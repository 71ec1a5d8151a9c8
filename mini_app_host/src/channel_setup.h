// Connects the render channel named on the command line and installs the message procedure.
#pragma once

#include <string>

namespace ternapp {

// False when the channel could not be created or initialised; the host then runs without one.
bool SetUpChannel(const std::wstring& command_line, const std::string& command_line_utf8);

}  // namespace ternapp
