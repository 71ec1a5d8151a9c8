#include "runner/hand_over_rules.h"

#include <json/json.h>

#include "rpc/json_text.h"

namespace docwick {

namespace {

bool IsCrtSpace(wchar_t c) {
  return c == L' ' || (c >= L'\t' && c <= L'\r');
}

}  // namespace

int32_t ParseAccountNumber(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && IsCrtSpace(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  int64_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > limit) {
      value = limit;
      break;
    }
  }
  return static_cast<int32_t>(negative ? -value : value);
}

bool IsHandOverVersion(uint32_t version) {
  return version > 5551 && version % 6 == 1;
}

YiTiaoLongParams ReadYiTiaoLongParams(const std::string& json) {
  YiTiaoLongParams params;
  Json::Value root;
  if (!ParseJsonText(json.data(), json.size(), &root))
    return params;
  // isUInt() first: jsoncpp throws when asked to convert a value that does not fit.
  const Json::Value* uin = JsonMember(root, "Uin");
  if (uin && uin->isUInt())
    params.m_uin = uin->asUInt();
  const Json::Value* url = JsonMember(root, "OpenUrl");
  if (url && url->isString())
    params.m_openUrl = url->asString();
  return params;
}

}  // namespace docwick
