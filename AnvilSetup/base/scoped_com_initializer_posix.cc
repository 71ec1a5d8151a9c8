#include "base/scoped_com_initializer.h"

namespace base {

// No COM off Windows: report success so callers behave as on a fresh thread.
ScopedCOMInitializer::ScopedCOMInitializer() : status_(0) {}
ScopedCOMInitializer::~ScopedCOMInitializer() = default;

}  // namespace base
