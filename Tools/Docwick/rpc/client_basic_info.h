// What a client tells about itself: each field is present only when the client sent it with
// the right JSON type.
#pragma once

#include <stdint.h>

#include <string>

namespace Json {
class Value;
}

namespace docwick {

struct ClientBasicInfo {
  bool m_hasUin = false;
  uint64_t m_uin = 0;
  bool m_hasProductName = false;
  std::string m_productName;  // UTF-8
  bool m_hasLocked = false;
  bool m_locked = false;
  bool m_hasPubno = false;
  uint32_t m_pubno = 0;
  bool m_hasOnline = false;
  bool m_online = false;
  bool m_hasNickname = false;
  std::string m_nickname;  // UTF-8
  bool m_hasHeadpath = false;
  std::string m_headpath;  // UTF-8 path of the account's head image
};

// Fills `info` from a parsed result object, member by member; a result that is not an object
// leaves every field absent.
void ReadClientBasicInfo(const Json::Value& result, ClientBasicInfo* info);

// Decimal digits at the start of `text` as an unsigned 64-bit number; false when `text` does
// not start with a digit or the number does not fit.
bool ParseUin(const std::string& text, uint64_t* out);

}  // namespace docwick
