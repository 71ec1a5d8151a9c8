#include "callback_ids.h"

namespace ternapp {

int32_t NextCallbackId(int32_t* counter) {
  int32_t old = *counter;
  // Unsigned arithmetic: the wrap from INT32_MAX is defined behaviour.
  uint32_t next = static_cast<uint32_t>(old) + 1u;
  if (old == -1)
    next = 1;
  *counter = static_cast<int32_t>(next);
  return *counter;
}

}  // namespace ternapp
