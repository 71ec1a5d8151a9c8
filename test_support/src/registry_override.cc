#include "tern_test/registry_override.h"

#include <shlwapi.h>

namespace tern_test {

ScopedRegistryOverride::ScopedRegistryOverride(HKEY hive) : hive_(hive) {
  static LONG counter = 0;
  scratch_path_ = L"Software\\TernTestOverride\\" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                  std::to_wstring(InterlockedIncrement(&counter));
  if (RegCreateKeyExW(HKEY_CURRENT_USER, scratch_path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &scratch_, nullptr) != ERROR_SUCCESS) {
    scratch_ = nullptr;
    return;
  }
  ok_ = RegOverridePredefKey(hive_, scratch_) == ERROR_SUCCESS;
}

ScopedRegistryOverride::~ScopedRegistryOverride() {
  if (ok_)
    RegOverridePredefKey(hive_, nullptr);
  if (scratch_) {
    RegCloseKey(scratch_);
    SHDeleteKeyW(HKEY_CURRENT_USER, scratch_path_.c_str());
  }
}

}  // namespace tern_test
