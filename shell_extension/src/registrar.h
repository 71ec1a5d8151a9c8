// Applies a parsed registrar script to the registry.
#pragma once

#include <windows.h>

#include "registrar_script.h"

// Register: ForceRemove keys are deleted with their subtree first, then every key and value is
// written. Unregister: ForceRemove keys go with their subtree, `val` entries are deleted,
// NoRemove keys stay, other keys are deleted once nothing is left in them.
// `perUser` writes every HKCR root under HKEY_CURRENT_USER\Software\Classes.
HRESULT ApplyRegistrarScript(const docwick_ext::RegScript& script, bool doRegister, bool perUser);
