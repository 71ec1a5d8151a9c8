#include "uninstall/disable_warden.h"

#include <cstdint>
#include <string>

#include "base/logging.h"
#include "base/utf_string_conversions.h"
#include "task/task_class_registry.h"
#include "util/removal_util_win.h"
#include "util/warden_util_win.h"

namespace uninstall {

void DisableWarden::Run(task_object::RuntimeObject*) {
  if (!setup_util::WardenWriteUpdateFlag(true))
    LOG(INFO) << "WardenWriteUpdateFlag(true) false";
  std::wstring warden;
  setup_util::GetWardenFilePath(&warden);
  if (warden.empty() || !setup_util::IsFile(warden)) {
    LOG(ERROR) << "DisableWarden task failed, warden not existed:" << base::WideToUTF8(warden);
    return;
  }
  setup_util::RunWardenCommand(warden, L"/fp disable /twardencore /3",
                               setup_util::kWardenShortWaitMs, setup_util::kWardenDisableLines);
  setup_util::RefreshWardenProductInfo();
  int count = setup_util::WardenProductCount();
  LOG(INFO) << "DisableWarden::Run(), product count: " << count;
  uint32_t version = 0;
  if (setup_util::IsLastWardenProduct(count) && setup_util::ReadWardenVersion(warden, &version) &&
      setup_util::WardenVersionPermitsUnload(version)) {
    setup_util::RunWardenCommand(warden, L"/qd unload", setup_util::kWardenShortWaitMs,
                                 setup_util::kWardenUnloadLines);
  }
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::DisableWarden, DisableWarden)
