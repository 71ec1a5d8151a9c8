// The exported serialiser: typed fields over the byte codec.
#include <new>

#include "conduit.h"
#include "serializer_impl.h"
#include "variant_codec.h"

using conduit::ByteReader;
using conduit::ByteWriter;

namespace {

bool WriteField(cdSerialize* s, int type, const void* value) {
  std::vector<uint8_t> bytes;
  ByteWriter w(&bytes);
  switch (type) {
    case CD_UINT32:
      w.U8(conduit::kTagUInt32);
      w.U32(*static_cast<const uint32_t*>(value));
      break;
    case CD_INT32:
      w.U8(conduit::kTagInt32);
      w.U32(static_cast<uint32_t>(*static_cast<const int32_t*>(value)));
      break;
    case CD_BOOL:
      w.U8(conduit::kTagBool);
      w.U8(*static_cast<const BOOL*>(value) ? 1 : 0);
      break;
    case CD_STRING: {
      const char* text = static_cast<const char*>(value);
      conduit::WriteStringField(&w, text);
      break;
    }
    case CD_VARIANT:
      w.U8(conduit::kTagVariant);
      if (!conduit::WriteVariant(&w, *static_cast<const VARIANT*>(value), 0))
        return false;
      break;
    case CD_DISPPARAMS: {
      const DISPPARAMS* params = static_cast<const DISPPARAMS*>(value);
      if (params->cArgs > conduit::kMaxDispParamsCount || (params->cArgs && !params->rgvarg))
        return false;
      w.U8(conduit::kTagDispParams);
      w.U32(params->cArgs);
      for (UINT i = 0; i < params->cArgs; ++i) {
        if (!conduit::WriteVariant(&w, params->rgvarg[i], 0))
          return false;
      }
      break;
    }
    case CD_SIZE: {
      const SIZE* size = static_cast<const SIZE*>(value);
      w.U8(conduit::kTagSize);
      w.U32(static_cast<uint32_t>(size->cx));
      w.U32(static_cast<uint32_t>(size->cy));
      break;
    }
    default:
      return false;
  }
  s->data.insert(s->data.end(), bytes.begin(), bytes.end());
  return true;
}

bool ReadTag(ByteReader* r, uint8_t expected) {
  uint8_t tag = 0;
  return r->U8(&tag) && tag == expected;
}

bool ReadField(cdSerialize* s, int type, void* value) {
  ByteReader r(s->data.data(), s->data.size(), s->read_position);
  switch (type) {
    case CD_UINT32:
    case CD_INT32: {
      uint32_t v = 0;
      if (!ReadTag(&r, type == CD_UINT32 ? conduit::kTagUInt32 : conduit::kTagInt32) || !r.U32(&v))
        return false;
      if (type == CD_UINT32)
        *static_cast<uint32_t*>(value) = v;
      else
        *static_cast<int32_t*>(value) = static_cast<int32_t>(v);
      break;
    }
    case CD_BOOL: {
      uint8_t v = 0;
      if (!ReadTag(&r, conduit::kTagBool) || !r.U8(&v))
        return false;
      *static_cast<BOOL*>(value) = v ? TRUE : FALSE;
      break;
    }
    case CD_STRING: {
      std::string text;
      if (!conduit::ReadStringField(&r, &text))
        return false;
      s->read_strings.push_back(std::move(text));
      *static_cast<const char**>(value) = s->read_strings.back().c_str();
      break;
    }
    case CD_VARIANT: {
      VARIANT v;
      if (!ReadTag(&r, conduit::kTagVariant) || !conduit::ReadVariant(&r, &v, 0))
        return false;
      *static_cast<VARIANT*>(value) = v;
      break;
    }
    case CD_DISPPARAMS: {
      uint32_t count = 0;
      if (!ReadTag(&r, conduit::kTagDispParams) || !r.U32(&count) ||
          count > conduit::kMaxDispParamsCount)
        return false;
      VARIANT* args = nullptr;
      if (count) {
        args = static_cast<VARIANT*>(CoTaskMemAlloc(sizeof(VARIANT) * count));
        if (!args)
          return false;
      }
      for (uint32_t i = 0; i < count; ++i) {
        if (!conduit::ReadVariant(&r, &args[i], 0)) {
          for (uint32_t j = 0; j < i; ++j)
            conduit::ClearVariant(&args[j]);
          CoTaskMemFree(args);
          return false;
        }
      }
      DISPPARAMS* params = static_cast<DISPPARAMS*>(value);
      params->rgvarg = args;
      params->cArgs = count;
      params->rgdispidNamedArgs = nullptr;
      params->cNamedArgs = 0;
      break;
    }
    case CD_SIZE: {
      uint32_t cx = 0, cy = 0;
      if (!ReadTag(&r, conduit::kTagSize) || !r.U32(&cx) || !r.U32(&cy))
        return false;
      SIZE* size = static_cast<SIZE*>(value);
      size->cx = static_cast<LONG>(cx);
      size->cy = static_cast<LONG>(cy);
      break;
    }
    default:
      return false;
  }
  s->read_position = r.position();
  return true;
}

}  // namespace

extern "C" {

cdSerialize* CreateSerialize(void) {
  return new (std::nothrow) cdSerialize;
}

void DestroySerialize(cdSerialize* serializer) {
  delete serializer;
}

BOOL WriteSerialize(cdSerialize* serializer, int type, const void* value) {
  if (!serializer || !value)
    return FALSE;
  return WriteField(serializer, type, value) ? TRUE : FALSE;
}

BOOL ReadSerialize(cdSerialize* serializer, int type, void* value) {
  if (!serializer || !value)
    return FALSE;
  return ReadField(serializer, type, value) ? TRUE : FALSE;
}

cdSerialize* cdCreateSerializeFromData(const void* data, uint32_t length) {
  cdSerialize* s = new (std::nothrow) cdSerialize;
  if (s && length)
    s->data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
  return s;
}

BOOL cdGetSerializeData(cdSerialize* serializer, const void** data, uint32_t* length) {
  if (!serializer || !data || !length)
    return FALSE;
  *data = serializer->data.data();
  *length = static_cast<uint32_t>(serializer->data.size());
  return TRUE;
}

BOOL cdAppendSerializeRaw(cdSerialize* serializer, const void* data, uint32_t length) {
  if (!serializer || (length && !data))
    return FALSE;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  serializer->data.insert(serializer->data.end(), p, p + length);
  return TRUE;
}

void cdClearVariant(VARIANT* value) {
  conduit::ClearVariant(value);
}

}  // extern "C"
