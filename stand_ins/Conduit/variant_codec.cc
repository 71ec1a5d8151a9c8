#include "variant_codec.h"

#include <cstring>

namespace conduit {

namespace {

// Type 12 without VT_BYREF: the value is a pointer to one more VARIANT.
constexpr VARTYPE kVariantPointer = VT_VARIANT;

bool FixedSize(VARTYPE vt, size_t* size) {
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
      *size = 0;
      return true;
    case VT_I1:
    case VT_UI1:
      *size = 1;
      return true;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      *size = 2;
      return true;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      *size = 4;
      return true;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
      *size = 8;
      return true;
    default:
      return false;
  }
}

}  // namespace

bool WriteVariant(ByteWriter* writer, const VARIANT& value, int depth) {
  VARTYPE vt = V_VT(&value);
  size_t size = 0;
  if (FixedSize(vt, &size)) {
    writer->U16(vt);
    uint64_t bits = 0;
    std::memcpy(&bits, &V_UI1(&value), size);  // the union starts at the same place for all
    for (size_t i = 0; i < size; ++i)
      writer->U8(static_cast<uint8_t>(bits >> (8 * i)));
    return true;
  }
  if (vt == VT_BSTR) {
    writer->U16(vt);
    BSTR text = V_BSTR(&value);
    if (!text) {
      writer->U32(0xFFFFFFFFu);
      return true;
    }
    UINT chars = SysStringLen(text);
    writer->U32(chars * 2u);
    for (UINT i = 0; i < chars; ++i)
      writer->U16(static_cast<uint16_t>(text[i]));
    return true;
  }
  if (vt == kVariantPointer && depth == 0) {
    const VARIANT* inner = static_cast<const VARIANT*>(V_BYREF(&value));
    writer->U16(vt);
    writer->U8(inner ? 1 : 0);
    return !inner || WriteVariant(writer, *inner, depth + 1);
  }
  return false;
}

bool ReadVariant(ByteReader* reader, VARIANT* value, int depth) {
  VariantInit(value);
  uint16_t vt = 0;
  if (!reader->U16(&vt))
    return false;
  size_t size = 0;
  if (FixedSize(vt, &size)) {
    const uint8_t* bytes = nullptr;
    if (!reader->Bytes(size, &bytes))
      return false;
    uint64_t bits = 0;
    for (size_t i = 0; i < size; ++i)
      bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    std::memcpy(&V_UI1(value), &bits, size);
    V_VT(value) = vt;
    return true;
  }
  if (vt == VT_BSTR) {
    uint32_t byte_length = 0;
    if (!reader->U32(&byte_length))
      return false;
    if (byte_length == 0xFFFFFFFFu) {
      V_VT(value) = VT_BSTR;
      V_BSTR(value) = nullptr;
      return true;
    }
    const uint8_t* bytes = nullptr;
    if (byte_length % 2 != 0 || byte_length > kMaxStringBytes ||
        !reader->Bytes(byte_length, &bytes))
      return false;
    BSTR text = SysAllocStringLen(nullptr, byte_length / 2);
    if (!text)
      return false;
    for (uint32_t i = 0; i < byte_length / 2; ++i)
      text[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = text;
    return true;
  }
  if (vt == kVariantPointer && depth == 0) {
    uint8_t present = 0;
    if (!reader->U8(&present) || present > 1)
      return false;
    VARIANT* inner = nullptr;
    if (present) {
      inner = static_cast<VARIANT*>(CoTaskMemAlloc(sizeof(VARIANT)));
      if (!inner)
        return false;
      if (!ReadVariant(reader, inner, depth + 1)) {
        CoTaskMemFree(inner);
        return false;
      }
    }
    V_VT(value) = kVariantPointer;
    V_BYREF(value) = inner;
    return true;
  }
  return false;
}

void ClearVariant(VARIANT* value) {
  if (!value)
    return;
  if (V_VT(value) == kVariantPointer) {
    VARIANT* inner = static_cast<VARIANT*>(V_BYREF(value));
    if (inner) {
      ClearVariant(inner);
      CoTaskMemFree(inner);
    }
    VariantInit(value);
    return;
  }
  VariantClear(value);
}

}  // namespace conduit
