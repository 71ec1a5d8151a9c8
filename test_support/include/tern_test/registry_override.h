// Redirects a predefined registry hive to a fresh scratch key for the object's lifetime,
// so a test reads and writes real registry keys without touching the prefix's own.
#pragma once

#include <windows.h>

#include <string>

namespace tern_test {

class ScopedRegistryOverride {
 public:
  // `hive` is HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT.
  explicit ScopedRegistryOverride(HKEY hive);
  ~ScopedRegistryOverride();
  ScopedRegistryOverride(const ScopedRegistryOverride&) = delete;
  ScopedRegistryOverride& operator=(const ScopedRegistryOverride&) = delete;

  bool ok() const { return ok_; }

 private:
  HKEY hive_;
  HKEY scratch_ = nullptr;
  std::wstring scratch_path_;  // under HKEY_CURRENT_USER, before the override
  bool ok_ = false;
};

}  // namespace tern_test
