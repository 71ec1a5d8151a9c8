// The at-exit manager: callbacks registered while it lives run in reverse order of
// registration when it is destroyed. Process-wide singletons register their destruction
// here. A shadowing manager (tests) hides the outer one for its own lifetime.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

namespace base {

class AtExitManager {
 public:
  AtExitManager();
  ~AtExitManager();
  AtExitManager(const AtExitManager&) = delete;
  AtExitManager& operator=(const AtExitManager&) = delete;

  // False (and the callback is dropped) when no manager exists.
  static bool RegisterCallback(std::function<void()> callback);
  // Runs and forgets every callback now, newest first.
  static void ProcessCallbacksNow();

 protected:
  explicit AtExitManager(bool shadow);

 private:
  std::mutex lock_;
  std::vector<std::function<void()>> callbacks_;
  AtExitManager* next_manager_;
};

class ShadowingAtExitManager : public AtExitManager {
 public:
  ShadowingAtExitManager() : AtExitManager(true) {}
};

}  // namespace base
