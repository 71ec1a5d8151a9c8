#include "base/at_exit.h"

#include "base/logging.h"

namespace base {

namespace {
AtExitManager* g_top_manager = nullptr;
}  // namespace

AtExitManager::AtExitManager() : next_manager_(g_top_manager) {
  DCHECK(!g_top_manager);
  g_top_manager = this;
}

AtExitManager::AtExitManager(bool shadow) : next_manager_(g_top_manager) {
  DCHECK(shadow || !g_top_manager);
  g_top_manager = this;
}

AtExitManager::~AtExitManager() {
  DCHECK(g_top_manager == this);
  ProcessCallbacksNow();
  g_top_manager = next_manager_;
}

bool AtExitManager::RegisterCallback(std::function<void()> callback) {
  if (!g_top_manager)
    return false;
  std::lock_guard<std::mutex> hold(g_top_manager->lock_);
  g_top_manager->callbacks_.push_back(std::move(callback));
  return true;
}

void AtExitManager::ProcessCallbacksNow() {
  if (!g_top_manager)
    return;
  for (;;) {
    std::function<void()> callback;
    {
      std::lock_guard<std::mutex> hold(g_top_manager->lock_);
      if (g_top_manager->callbacks_.empty())
        return;
      callback = std::move(g_top_manager->callbacks_.back());
      g_top_manager->callbacks_.pop_back();
    }
    // Outside the lock: a destructor may itself register or create singletons.
    callback();
  }
}

}  // namespace base
