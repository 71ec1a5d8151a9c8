#include "value_conversion.h"

#include <cstring>

#include "tern_app_host.h"
#include "utf8.h"

namespace ternapp {

namespace {

// Type 12 without VT_BYREF: the value points to a separately allocated VARIANT.
constexpr VARTYPE kVariantPointer = VT_VARIANT;

bool PointerToVariant(VARIANT* out, VARIANT* inner) {
  VariantInit(out);
  V_VT(out) = kVariantPointer;
  V_BYREF(out) = inner;
  return true;
}

VARIANT* NewInnerVariant() {
  VARIANT* inner = static_cast<VARIANT*>(CoTaskMemAlloc(sizeof(VARIANT)));
  if (inner)
    VariantInit(inner);
  return inner;
}

}  // namespace

bool ScriptValueToVariant(const SkiffValue& value, const SkiffHelpers& helpers, VARIANT* out) {
  VariantInit(out);
  switch (value.kind) {
    case SKIFF_VALUE_BOOL:
      V_VT(out) = VT_BOOL;
      V_BOOL(out) = static_cast<VARIANT_BOOL>(value.u.boolean & 0xFFFF);
      return true;
    case SKIFF_VALUE_INT:
      V_VT(out) = VT_INT;
      V_INT(out) = value.u.integer;
      return true;
    case SKIFF_VALUE_DOUBLE:
      V_VT(out) = VT_R8;
      V_R8(out) = value.u.number;
      return true;
    case SKIFF_VALUE_STRING: {
      const char* text = helpers.toText ? helpers.toText(&value) : nullptr;
      std::wstring wide = WideFromUtf8(text ? text : "");
      BSTR bstr = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
      if (!bstr)
        return false;
      V_VT(out) = VT_BSTR;
      V_BSTR(out) = bstr;
      return true;
    }
    case SKIFF_VALUE_OBJECT: {
      VARIANT* inner = NewInnerVariant();
      if (!inner)
        return false;
      if (helpers.isFunction && helpers.isFunction(&value)) {
        V_VT(inner) = VT_INT;
        V_INT(inner) = TernAppHost::Get().AddCallback(value.u.ref, helpers);
        return PointerToVariant(out, inner);
      }
      char* json = helpers.toJson ? helpers.toJson(&value) : nullptr;
      if (!json) {
        CoTaskMemFree(inner);
        return false;
      }
      std::wstring wide = WideFromUtf8(json);
      if (helpers.freeText)
        helpers.freeText(json);
      BSTR bstr = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
      if (!bstr) {
        CoTaskMemFree(inner);
        return false;
      }
      V_VT(inner) = VT_BSTR;
      V_BSTR(inner) = bstr;
      return PointerToVariant(out, inner);
    }
    default:
      return false;
  }
}

bool VariantToScriptValue(const VARIANT& value, const SkiffHelpers& helpers, SkiffValue* out) {
  switch (V_VT(&value)) {
    case VT_R8:
      std::memset(out, 0, sizeof(*out));
      out->kind = SKIFF_VALUE_DOUBLE;
      out->u.number = V_R8(&value);
      return true;
    case VT_BSTR: {
      std::string utf8 =
          V_BSTR(&value) ? Utf8FromWide(std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value))))
                         : std::string();
      return helpers.makeString && helpers.makeString(utf8.c_str(), out);
    }
    case VT_BOOL:
      std::memset(out, 0, sizeof(*out));
      out->kind = SKIFF_VALUE_BOOL;
      out->u.boolean = static_cast<uint8_t>(V_BOOL(&value) & 0xFF);
      return true;
    case kVariantPointer: {
      const VARIANT* inner = static_cast<const VARIANT*>(V_BYREF(&value));
      if (!inner || V_VT(inner) != VT_BSTR || !V_BSTR(inner) || !helpers.fromJson)
        return false;
      std::string json = Utf8FromWide(std::wstring(V_BSTR(inner), SysStringLen(V_BSTR(inner))));
      return helpers.fromJson(json.c_str(), out) != FALSE;
    }
    case VT_INT:
      std::memset(out, 0, sizeof(*out));
      out->kind = SKIFF_VALUE_INT;
      out->u.integer = V_INT(&value);
      return true;
    default:
      return false;
  }
}

void ClearValueVariant(VARIANT* value) {
  if (V_VT(value) == kVariantPointer) {
    VARIANT* inner = static_cast<VARIANT*>(V_BYREF(value));
    if (inner) {
      VariantClear(inner);
      CoTaskMemFree(inner);
    }
    VariantInit(value);
    return;
  }
  VariantClear(value);
}

}  // namespace ternapp
