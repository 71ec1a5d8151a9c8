// Every task class that the shipped graph names. A class whose real implementation is not
// linked in yet completes without effect and says so in the log; a real registration of
// the same name (REGISTER_TASK_CLASS in its own file) always takes precedence, so this
// list never needs editing when a class is added.
#include "task/not_available_task.h"

namespace {

const char* const kShippedGraphClasses[] = {
    "StartUninstall",
    "CheckPelicanRunning",
    "GetUninstallEnvironment",
    "DisableWarden",
    "UnInstallWardenCore",
    "KillCorvaneProcess",
    "TaskbarUnpinShortLink",
    "DeleteFiles",
    "DeleteWardenFiles",
    "ClearInstallDir",
    "FixTaskbar",
    "UninstallPlume",
    "UninstallMiniDl",
    "UninstallUploadResult",
    "CompleteUninstall",
    "ClearUninstallTempDir",
    "TaskExit",
};

const bool g_planned_registered = [] {
  for (const char* name : kShippedGraphClasses)
    task::RegisterPlannedTaskClass(name);
  return true;
}();

}  // namespace
