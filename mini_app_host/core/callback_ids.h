// Ids handed to the client for script functions passed as host-call arguments.
#pragma once

#include <cstdint>

namespace ternapp {

// Advances the counter and returns the new id. The counter wraps through the whole 32-bit
// range; after -1 it goes straight to 1, so 0 is never an id.
int32_t NextCallbackId(int32_t* counter);

}  // namespace ternapp
