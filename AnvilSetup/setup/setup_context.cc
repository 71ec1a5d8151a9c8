#include "setup/setup_context.h"

#include "base/fnv1_hash.h"
#include "base/logging.h"
#include "base/singleton.h"
#include "base/utf_string_conversions.h"

namespace {

template <typename Map, typename Value>
bool SetInMap(Map* map, const std::string& key, const Value& value) {
  auto inserted = map->insert_or_assign(base::Fnv1Hash32(key), value);
  return inserted.second;
}

}  // namespace

SetupContext* SetupContext::GetInstance() {
  return base::Singleton<SetupContext>::get();
}

bool SetupContext::SetString(const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> hold(lock_);
  return SetInMap(&strings_, key, value);
}

bool SetupContext::GetString(const std::string& key, std::string* value) {
  DCHECK(value);
  std::lock_guard<std::mutex> hold(lock_);
  auto found = strings_.find(base::Fnv1Hash32(key));
  if (found == strings_.end() || !value)
    return false;
  *value = found->second;
  return true;
}

bool SetupContext::SetWString(const std::string& key, const std::wstring& value) {
  return SetString(key, base::WideToUTF8(value));
}

bool SetupContext::GetWString(const std::string& key, std::wstring* value) {
  DCHECK(value);
  std::string narrow;
  bool found = GetString(key, &narrow);
  if (value)
    *value = base::UTF8ToWide(narrow);
  return found;
}

bool SetupContext::SetInt(const std::string& key, int32_t value) {
  std::lock_guard<std::mutex> hold(lock_);
  return SetInMap(&integers_, key, value);
}

bool SetupContext::GetInt(const std::string& key, int32_t* value) {
  DCHECK(value);
  std::lock_guard<std::mutex> hold(lock_);
  auto found = integers_.find(base::Fnv1Hash32(key));
  if (found == integers_.end() || !value)
    return false;
  *value = found->second;
  return true;
}

bool SetupContext::SetStringValue(const std::string& key, const std::string& value) {
  return GetInstance()->SetString(key, value);
}
bool SetupContext::GetStringValue(const std::string& key, std::string* value) {
  return GetInstance()->GetString(key, value);
}
bool SetupContext::SetWStringValue(const std::string& key, const std::wstring& value) {
  return GetInstance()->SetWString(key, value);
}
bool SetupContext::GetWStringValue(const std::string& key, std::wstring* value) {
  return GetInstance()->GetWString(key, value);
}
bool SetupContext::SetIntValue(const std::string& key, int32_t value) {
  return GetInstance()->SetInt(key, value);
}
bool SetupContext::GetIntValue(const std::string& key, int32_t* value) {
  return GetInstance()->GetInt(key, value);
}
