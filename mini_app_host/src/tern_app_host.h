// The process-wide host record: channel and group ids, registered host functions and the
// table of script functions the client may call back. Used only on the message-loop thread.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>

#include "skiff.h"

namespace ternapp {

constexpr uint16_t kChannelId = 3;

struct HostFunctionRecord {
  SkiffModule* module = nullptr;
  std::string function_name;
  std::string module_name;
};

struct ScriptCallbackEntry {
  void* function = nullptr;
  SkiffHelpers helpers = {};  // copied: the engine's table may not outlive the call
};

class TernAppHost {
 public:
  static TernAppHost& Get();

  uint16_t channel_id() const { return channel_id_; }
  uint32_t group_id() const { return group_id_; }
  void SetChannel(uint16_t channel_id, uint32_t group_id) {
    channel_id_ = channel_id;
    group_id_ = group_id;
  }

  HostFunctionRecord* AddRecord(SkiffModule* module,
                                const std::string& function_name,
                                const std::string& module_name);
  void RemoveRecordsOfModule(const std::string& module_name);
  size_t record_count() const { return records_.size(); }

  // Stores `function` under a new id; a replaced entry's reference is released first.
  int32_t AddCallback(void* function, const SkiffHelpers& helpers);
  bool FindCallback(int32_t id, ScriptCallbackEntry* entry) const;
  // Removes and releases; false when the id is unknown.
  bool ReleaseCallback(int32_t id);
  // Removes without releasing the entry whose function is `address`.
  void ForgetCallbackAt(const void* address);

 private:
  TernAppHost() = default;

  uint16_t channel_id_ = 0;
  uint32_t group_id_ = 0;
  std::list<std::unique_ptr<HostFunctionRecord>> records_;
  std::map<int32_t, ScriptCallbackEntry> callbacks_;
  int32_t callback_counter_ = 0;
};

// Set from "storage=" at start-up; empty until then.
std::string& StorageDirectory();

}  // namespace ternapp
