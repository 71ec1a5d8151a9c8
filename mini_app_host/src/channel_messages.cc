#include "channel_messages.h"

#include <memory>
#include <string>
#include <vector>

#include "tern_app_host.h"
#include "utf8.h"
#include "value_conversion.h"

namespace ternapp {

namespace {

struct SerializerDeleter {
  void operator()(cdSerialize* s) const { DestroySerialize(s); }
};
using Serializer = std::unique_ptr<cdSerialize, SerializerDeleter>;

Serializer NewMessage(uint32_t id) {
  Serializer s(CreateSerialize());
  if (s && !WriteSerialize(s.get(), CD_UINT32, &id))
    s.reset();
  return s;
}

bool WriteText(cdSerialize* s, const char* text) {
  return WriteSerialize(s, CD_STRING, text ? text : "") != FALSE;
}

bool Send(cdSerialize* message, cdSerialize* reply) {
  TernAppHost& host = TernAppHost::Get();
  return cdSendChannelMessageSync(host.channel_id(), host.group_id(), message, kSendTimeoutMs,
                                  reply) != FALSE;
}

// Owns the VARIANTs of a DISPPARAMS until the end of the scope.
struct VariantArray {
  VARIANT* items = nullptr;
  UINT count = 0;
  bool from_channel = false;  // allocated by the channel with CoTaskMemAlloc
  std::vector<VARIANT> own;
  ~VariantArray() {
    for (UINT i = 0; i < count; ++i)
      ClearValueVariant(&items[i]);
    if (from_channel)
      CoTaskMemFree(items);
  }
};

}  // namespace

void RequestHostFunctions(SkiffModule* module, const char* module_name) {
  std::string name = module_name ? module_name : "";
  Serializer message = NewMessage(kMsgHostFunctions);
  Serializer reply(CreateSerialize());
  if (!message || !reply || !WriteText(message.get(), name.c_str()) ||
      !Send(message.get(), reply.get()))
    return;
  DISPPARAMS params = {};
  if (!ReadSerialize(reply.get(), CD_DISPPARAMS, &params))
    return;
  VariantArray args;
  args.items = params.rgvarg;
  args.count = params.cArgs;
  args.from_channel = true;
  for (UINT i = 0; i < params.cArgs; ++i) {
    const VARIANT& arg = params.rgvarg[i];
    if (V_VT(&arg) != VT_BSTR || !V_BSTR(&arg))
      continue;
    std::string function = Utf8FromWide(std::wstring(V_BSTR(&arg), SysStringLen(V_BSTR(&arg))));
    HostFunctionRecord* record = TernAppHost::Get().AddRecord(module, function, name);
    skiffModuleCallbackRegister(module, getName, callText, callValues, record);
  }
}

const char* getName(void* record) {
  if (!record)
    return nullptr;
  return static_cast<HostFunctionRecord*>(record)->function_name.c_str();
}

BOOL callText(void* record, const char* text) {
  HostFunctionRecord* r = static_cast<HostFunctionRecord*>(record);
  if (!r)
    return FALSE;
  Serializer message = NewMessage(kMsgCallText);
  Serializer reply(CreateSerialize());
  BOOL result = FALSE;
  if (!message || !reply || !WriteText(message.get(), r->module_name.c_str()) ||
      !WriteText(message.get(), r->function_name.c_str()) || !WriteText(message.get(), text) ||
      !Send(message.get(), reply.get()) || !ReadSerialize(reply.get(), CD_BOOL, &result))
    return FALSE;
  return result ? TRUE : FALSE;
}

BOOL callValues(void* record,
                const char* data,
                const SkiffValue* args,
                int count,
                SkiffValue* result,
                const SkiffHelpers* helpers) {
  HostFunctionRecord* r = static_cast<HostFunctionRecord*>(record);
  if (!r || !helpers || count < 0 || (count > 0 && !args))
    return FALSE;
  VariantArray sent;
  sent.own.resize(static_cast<size_t>(count));
  sent.items = sent.own.data();
  for (int i = 0; i < count; ++i) {
    if (!ScriptValueToVariant(args[i], *helpers, &sent.own[i]))
      return FALSE;
    sent.count = static_cast<UINT>(i + 1);
  }
  DISPPARAMS params = {sent.items, nullptr, sent.count, 0};
  Serializer message = NewMessage(kMsgCallValues);
  Serializer reply(CreateSerialize());
  if (!message || !reply || !WriteText(message.get(), r->module_name.c_str()) ||
      !WriteText(message.get(), r->function_name.c_str()) || !WriteText(message.get(), data) ||
      !WriteSerialize(message.get(), CD_DISPPARAMS, &params))
    return FALSE;
  // A failed or timed-out send leaves the result unset but still reports success.
  if (!Send(message.get(), reply.get()))
    return TRUE;
  VARIANT answer;
  if (ReadSerialize(reply.get(), CD_VARIANT, &answer)) {
    if (result)
      VariantToScriptValue(answer, *helpers, result);
    ClearValueVariant(&answer);
  }
  return TRUE;
}

void OnModuleNotification(const char* module_name) {
  std::string name = module_name ? module_name : "";
  Serializer message = NewMessage(kMsgModuleNotification);
  Serializer reply(CreateSerialize());
  if (message && reply && WriteText(message.get(), name.c_str()))
    Send(message.get(), reply.get());
  void* table = skiffModuleGetHostFuncs(skiffGetModuleRegister(name.c_str()), name.c_str());
  if (table)
    TernAppHost::Get().ForgetCallbackAt(table);
  TernAppHost::Get().RemoveRecordsOfModule(name);
}

void NoOperation() {}

BOOL onChannelMessage(uint32_t id, cdSerialize* serializer) {
  TernAppHost& host = TernAppHost::Get();
  if (id == kMsgInvokeCallback) {
    int32_t callback_id = 0;
    DISPPARAMS params = {};
    // A message cut short calls nothing.
    if (!ReadSerialize(serializer, CD_INT32, &callback_id) ||
        !ReadSerialize(serializer, CD_DISPPARAMS, &params))
      return TRUE;
    VariantArray received;
    received.items = params.rgvarg;
    received.count = params.cArgs;
    received.from_channel = params.rgvarg != nullptr;
    ScriptCallbackEntry entry;
    if (!host.FindCallback(callback_id, &entry) || !entry.helpers.call)
      return TRUE;
    std::vector<SkiffValue> values;
    for (UINT i = 0; i < params.cArgs; ++i) {
      SkiffValue value = {};
      // Arguments without a script form are left out rather than passed half-made.
      if (VariantToScriptValue(params.rgvarg[i], entry.helpers, &value))
        values.push_back(value);
    }
    entry.helpers.call(entry.function, values.empty() ? nullptr : values.data(),
                       static_cast<int>(values.size()));
    for (SkiffValue& value : values) {
      if (value.kind == SKIFF_VALUE_OBJECT && entry.helpers.release)
        entry.helpers.release(value.u.ref);
    }
    return TRUE;
  }
  if (id == kMsgReleaseCallback) {
    int32_t callback_id = 0;
    if (ReadSerialize(serializer, CD_INT32, &callback_id))
      host.ReleaseCallback(callback_id);
    return TRUE;
  }
  return FALSE;
}

}  // namespace ternapp
