#include "rpc/client_basic_info.h"

#include <limits>

#include <json/json.h>

#include "rpc/json_text.h"

namespace docwick {

namespace {

// Any JSON number or boolean, as unsigned 32-bit: negatives give 0, larger values the maximum.
uint32_t ToPubno(const Json::Value& value) {
  const uint32_t kMax = std::numeric_limits<uint32_t>::max();
  if (value.isBool())
    return value.asBool() ? 1 : 0;
  if (value.isInt64() && value.asInt64() < 0)
    return 0;
  if (value.isUInt64())
    return value.asUInt64() > kMax ? kMax : static_cast<uint32_t>(value.asUInt64());
  double d = value.asDouble();
  if (!(d > 0))
    return 0;  // also NaN
  return d >= static_cast<double>(kMax) ? kMax : static_cast<uint32_t>(d);
}

}  // namespace

bool ParseUin(const std::string& text, uint64_t* out) {
  if (text.empty() || text[0] < '0' || text[0] > '9')
    return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      break;
    unsigned digit = static_cast<unsigned>(c - '0');
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10)
      return false;
    value = value * 10 + digit;
  }
  *out = value;
  return true;
}

void ReadClientBasicInfo(const Json::Value& result, ClientBasicInfo* info) {
  const Json::Value* v = JsonMember(result, "uin");
  if (v && v->isString())
    info->m_hasUin = ParseUin(v->asString(), &info->m_uin);
  v = JsonMember(result, "product_name");
  if (v && v->isString()) {
    info->m_hasProductName = true;
    info->m_productName = v->asString();
  }
  v = JsonMember(result, "locked");
  if (v && v->isBool()) {
    info->m_hasLocked = true;
    info->m_locked = v->asBool();
  }
  v = JsonMember(result, "pubno");
  if (v && (v->isNumeric() || v->isBool())) {
    info->m_hasPubno = true;
    info->m_pubno = ToPubno(*v);
  }
  v = JsonMember(result, "online");
  if (v && v->isBool()) {
    info->m_hasOnline = true;
    info->m_online = v->asBool();
  }
  v = JsonMember(result, "nickname");
  if (v && v->isString()) {
    info->m_hasNickname = true;
    info->m_nickname = v->asString();
  }
  v = JsonMember(result, "headpath");
  if (v && v->isString()) {
    info->m_hasHeadpath = true;
    info->m_headpath = v->asString();
  }
}

}  // namespace docwick
