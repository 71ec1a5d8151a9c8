// VARIANT and DISPPARAMS encoding of the channel.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "wire/byte_codec.h"

namespace conduit {

bool WriteVariant(ByteWriter* writer, const VARIANT& value, int depth);
// On failure nothing is left allocated and *value is VT_EMPTY.
bool ReadVariant(ByteReader* reader, VARIANT* value, int depth);
void ClearVariant(VARIANT* value);

}  // namespace conduit
