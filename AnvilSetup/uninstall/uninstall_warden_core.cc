#include "uninstall/uninstall_warden_core.h"

#include <string>

#include "base/logging.h"
#include "task/task_class_registry.h"
#include "util/removal_util_win.h"
#include "util/warden_util_win.h"

namespace pre_install {

void UnInstallWardenCore::Run(task_object::RuntimeObject*) {
  int count = setup_util::WardenProductCount();
  LOG(INFO) << "UnInstallWardenCore::Run(), product count: " << count;
  // The core service stays while another product uses it.
  if (!setup_util::IsLastWardenProduct(count))
    return;
  std::wstring warden;
  if (!setup_util::GetWardenFilePath(&warden))
    return;
  setup_util::RunWardenCommand(warden, L"/utwardencore /3", setup_util::kWardenLongWaitMs,
                               setup_util::kWardenUninstallCoreLines);
}

}  // namespace pre_install

REGISTER_TASK_CLASS(pre_install::UnInstallWardenCore, UnInstallWardenCore)
