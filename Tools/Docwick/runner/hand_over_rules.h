// The decisions of the account hand-over commands that need no Windows: reading their
// parameters and the client version rule.
#pragma once

#include <stdint.h>

#include <string>

namespace docwick {

// The decimal account number as `_wtol` reads it: leading white space, an optional sign and
// the digits that follow; anything else gives 0. Out-of-range values saturate at the limits of
// a 32-bit long instead of wrapping.
int32_t ParseAccountNumber(const std::wstring& text);

// A client can take a hand-over when its version is above 5551 and leaves 1 when divided by 6.
bool IsHandOverVersion(uint32_t version);

struct YiTiaoLongParams {
  uint32_t m_uin = 0;     // "Uin"; 0 when missing or not an unsigned 32-bit number
  std::string m_openUrl;  // "OpenUrl" as UTF-8; empty when missing or not a string
};

// Reads the decoded JSON bytes; text that is not a JSON object leaves both members empty.
YiTiaoLongParams ReadYiTiaoLongParams(const std::string& json);

}  // namespace docwick
