// Script values <-> automation VARIANTs for host-function calls and client callbacks.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "skiff.h"

namespace ternapp {

// Functions are stored in the host's callback table under a new id; plain objects travel as
// their JSON text. False for kinds without a VARIANT form or a failed JSON conversion; the
// VARIANT is then VT_EMPTY.
bool ScriptValueToVariant(const SkiffValue& value, const SkiffHelpers& helpers, VARIANT* out);

// False for VARIANT types without a script form; `out` is then untouched.
bool VariantToScriptValue(const VARIANT& value, const SkiffHelpers& helpers, SkiffValue* out);

// Frees what ScriptValueToVariant or the channel allocated, including a type-12 VARIANT's
// separate VARIANT (which VariantClear does not know about).
void ClearValueVariant(VARIANT* value);

}  // namespace ternapp
