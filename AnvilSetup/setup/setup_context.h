// The process-wide store of string and 32-bit integer values by key, through which the
// start-up code, the tasks and the dispatcher's conditions talk. Keys are kept only as
// their FNV-1 hash; strings and integers live in separate tables. Wide strings are kept as
// UTF-8. Every operation is safe to call from several threads at once.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

class SetupContext {
 public:
  // Created on first use; destroyed by the at-exit manager.
  static SetupContext* GetInstance();

  // Set: true when the key was new, false when an existing value was replaced.
  bool SetString(const std::string& key, const std::string& value);
  // Get: false and `value` untouched when absent.
  bool GetString(const std::string& key, std::string* value);
  bool SetWString(const std::string& key, const std::wstring& value);
  // Unlike GetString, `value` is always assigned (empty when the key is absent).
  bool GetWString(const std::string& key, std::wstring* value);
  bool SetInt(const std::string& key, int32_t value);
  bool GetInt(const std::string& key, int32_t* value);

  static bool SetStringValue(const std::string& key, const std::string& value);
  static bool GetStringValue(const std::string& key, std::string* value);
  static bool SetWStringValue(const std::string& key, const std::wstring& value);
  static bool GetWStringValue(const std::string& key, std::wstring* value);
  static bool SetIntValue(const std::string& key, int32_t value);
  static bool GetIntValue(const std::string& key, int32_t* value);

 private:
  std::mutex lock_;
  std::map<uint32_t, std::string> strings_;
  std::map<uint32_t, int32_t> integers_;
};
