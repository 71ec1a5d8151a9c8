// Start-up of the uninstaller: the path values of the setup context and the log.
#pragma once

#include <string>

#include "base/command_line.h"

// Stores AppdataPath, LogPath, SetupTempPath (or the fallback temporary folder and
// HasCreateWindowsTemp = 1) and SystemPath, creating the folders on the way.
void InitSetupPaths();
// The same below a given application-data folder (tests).
void InitSetupPathsUnder(const std::wstring& appdata);

// Appends to LogPath\pelican_uninstall.log and the debugger output; "v" and "vmodule"
// switches set the verbosity.
void InitUninstallLogging(const base::CommandLine& command_line);
