#include <objbase.h>

#include "base/scoped_com_initializer.h"

namespace base {

ScopedCOMInitializer::ScopedCOMInitializer()
    : status_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

ScopedCOMInitializer::~ScopedCOMInitializer() {
  if (SUCCEEDED(status_))
    CoUninitialize();
}

}  // namespace base
