// Asks the installed client's enumeration service (a local COM server) whether a running
// client of an account has a version that can take a hand-over.
#pragma once

#include <stdint.h>

namespace docwick {

// True when the first client entry of `uin` (compared as 32-bit values) reads a "Version" that
// fits the hand-over rule; false for any failure. The caller has initialised COM.
bool ClientOfAccountCanHandOver(uint32_t uin);

}  // namespace docwick
