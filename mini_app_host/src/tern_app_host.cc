#include "tern_app_host.h"

#include "callback_ids.h"

namespace ternapp {

TernAppHost& TernAppHost::Get() {
  // Created on first use; lives until the process ends so late engine calls stay safe.
  static TernAppHost* host = new TernAppHost;
  return *host;
}

HostFunctionRecord* TernAppHost::AddRecord(SkiffModule* module,
                                           const std::string& function_name,
                                           const std::string& module_name) {
  auto record = std::make_unique<HostFunctionRecord>();
  record->module = module;
  record->function_name = function_name;
  record->module_name = module_name;
  records_.push_back(std::move(record));
  return records_.back().get();
}

void TernAppHost::RemoveRecordsOfModule(const std::string& module_name) {
  records_.remove_if(
      [&](const std::unique_ptr<HostFunctionRecord>& r) { return r->module_name == module_name; });
}

int32_t TernAppHost::AddCallback(void* function, const SkiffHelpers& helpers) {
  int32_t id = NextCallbackId(&callback_counter_);
  auto it = callbacks_.find(id);
  if (it != callbacks_.end() && it->second.helpers.release)
    it->second.helpers.release(it->second.function);
  callbacks_[id] = {function, helpers};
  return id;
}

bool TernAppHost::FindCallback(int32_t id, ScriptCallbackEntry* entry) const {
  auto it = callbacks_.find(id);
  if (it == callbacks_.end())
    return false;
  *entry = it->second;
  return true;
}

bool TernAppHost::ReleaseCallback(int32_t id) {
  auto it = callbacks_.find(id);
  if (it == callbacks_.end())
    return false;
  ScriptCallbackEntry entry = it->second;
  callbacks_.erase(it);
  if (entry.helpers.release)
    entry.helpers.release(entry.function);
  return true;
}

void TernAppHost::ForgetCallbackAt(const void* address) {
  for (auto it = callbacks_.begin(); it != callbacks_.end(); ++it) {
    if (it->second.function == address) {
      callbacks_.erase(it);
      return;
    }
  }
}

std::string& StorageDirectory() {
  static std::string* directory = new std::string;
  return *directory;
}

}  // namespace ternapp
