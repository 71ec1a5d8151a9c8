// The render-channel messages the host sends for host functions and modules, and the
// incoming callback messages it handles.
#pragma once

#include <cstdint>

#include "conduit.h"
#include "skiff.h"

namespace ternapp {

enum : uint32_t {
  kMsgHostFunctions = 0x10045,
  kMsgCallText = 0x10046,
  kMsgCallValues = 0x10047,
  kMsgModuleNotification = 0x10048,
  kMsgInvokeCallback = 0x10028,
  kMsgReleaseCallback = 0x10029,
};

constexpr uint32_t kSendTimeoutMs = 5000;

// Engine callback for views with host calls: asks the client for the module's functions and
// registers each with the engine.
void RequestHostFunctions(SkiffModule* module, const char* module_name);

// The three functions registered per host function.
const char* getName(void* record);
BOOL callText(void* record, const char* text);
BOOL callValues(void* record,
                const char* data,
                const SkiffValue* args,
                int count,
                SkiffValue* result,
                const SkiffHelpers* helpers);

// Engine's module notification.
void OnModuleNotification(const char* module_name);
void NoOperation();

// The channel's message procedure (0x10028, 0x10029).
BOOL onChannelMessage(uint32_t id, cdSerialize* serializer);

}  // namespace ternapp
