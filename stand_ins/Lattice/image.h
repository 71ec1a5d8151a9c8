// The framework's image object (class CLSID_LatticeImage), created through the host's factory.
#pragma once

#include <windows.h>

namespace lattice {

// The creator that the module registers with the base library's platform core.
HRESULT STDMETHODCALLTYPE CreateImageInstance(REFIID iid, void** out);

}  // namespace lattice
