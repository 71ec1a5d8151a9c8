#include "runner/client_enum_query.h"

#include <windows.h>
#include <oleauto.h>

#include "client_enum.h"
#include "runner/hand_over_rules.h"
#include "runner/scoped_com.h"

namespace docwick {

namespace {

// Reads the named property; false when the read fails.
bool ReadProperty(IClientProperties* properties, const wchar_t* name, CScopedVariant* value) {
  CScopedVariant nameValue;
  nameValue.get()->vt = VT_BSTR;
  nameValue.get()->bstrVal = SysAllocString(name);
  if (!nameValue.get()->bstrVal)
    return false;
  return SUCCEEDED(properties->GetProperty(*nameValue.get(), value->Receive()));
}

// Any integer or numeric text; the low 32 bits, as the account numbers are compared.
bool ReadAccount(VARIANT* value, uint32_t* out) {
  CScopedVariant converted;
  VARTYPE target = value->vt == VT_UI8 ? VT_UI8 : VT_I8;
  if (FAILED(VariantChangeType(converted.get(), value, 0, target)))
    return false;
  *out = target == VT_UI8 ? static_cast<uint32_t>(converted.get()->ullVal)
                          : static_cast<uint32_t>(converted.get()->llVal);
  return true;
}

// An unsigned 32-bit number; negative or larger values do not convert.
bool ReadVersion(VARIANT* value, uint32_t* out) {
  CScopedVariant converted;
  if (FAILED(VariantChangeType(converted.get(), value, 0, VT_UI4)))
    return false;
  *out = converted.get()->ulVal;
  return true;
}

enum class EntryOutcome { kOther, kSuitable, kUnsuitable };

EntryOutcome CheckEntry(IClientEntry* entry, uint32_t uin) {
  CScopedVariant value;
  if (FAILED(entry->GetValue(value.Receive())) || value.get()->vt != VT_DISPATCH ||
      !value.get()->pdispVal)
    return EntryOutcome::kOther;
  CScopedComPtr<IClientProperties> properties;
  if (FAILED(value.get()->pdispVal->QueryInterface(__uuidof(IClientProperties),
                                                   properties.ReceiveVoid())) ||
      !properties.get())
    return EntryOutcome::kOther;
  CScopedVariant account;
  uint32_t entryUin = 0;
  if (!ReadProperty(properties.get(), L"UUin", &account) ||
      !ReadAccount(account.get(), &entryUin) || entryUin != uin)
    return EntryOutcome::kOther;
  CScopedVariant versionValue;
  uint32_t version = 0;
  if (ReadProperty(properties.get(), L"Version", &versionValue) &&
      ReadVersion(versionValue.get(), &version) && IsHandOverVersion(version))
    return EntryOutcome::kSuitable;
  return EntryOutcome::kUnsuitable;
}

}  // namespace

bool ClientOfAccountCanHandOver(uint32_t uin) {
  CScopedComPtr<IClientEnumerator> enumerator;
  if (FAILED(CoCreateInstance(__uuidof(ClientEnumService), nullptr, CLSCTX_LOCAL_SERVER,
                              __uuidof(IClientEnumerator), enumerator.ReceiveVoid())) ||
      !enumerator.get())
    return false;
  CScopedComPtr<IClientEntry> entry;
  HRESULT hr = enumerator->FirstEntry(entry.Receive());
  // S_FALSE or an empty entry is the end of the list, like a failure.
  while (hr == S_OK && entry.get()) {
    EntryOutcome outcome = CheckEntry(entry.get(), uin);
    if (outcome != EntryOutcome::kOther)
      return outcome == EntryOutcome::kSuitable;
    CScopedComPtr<IClientEntry> next;
    hr = enumerator->NextEntry(entry.get(), next.Receive());
    entry.Swap(next);
  }
  return false;
}

}  // namespace docwick
