#include "runner/usage_counter.h"

namespace docwick {

DWORD IncrementUsageCounter() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Corvane\\Docwick\\Report", 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return 0;
  DWORD count = 0;
  DWORD type = 0;
  DWORD size = sizeof(count);
  if (RegQueryValueExW(key, L"0X8008BF1", nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(count))
    count = 0;
  ++count;
  LONG written = RegSetValueExW(key, L"0X8008BF1", 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&count), sizeof(count));
  RegCloseKey(key);
  return written == ERROR_SUCCESS ? count : 0;
}

}  // namespace docwick
