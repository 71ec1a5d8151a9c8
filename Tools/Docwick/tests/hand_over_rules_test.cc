#include "runner/hand_over_rules.h"

#include <gtest/gtest.h>

namespace docwick {
namespace {

TEST(HandOverRules, AccountNumberReadsLikeWtol) {
  struct Case {
    std::wstring text;
    int32_t value;
  } cases[] = {
      {L"123456", 123456},
      {L"  \t42", 42},
      {L"+7", 7},
      {L"-5", -5},
      {L"12abc", 12},
      {L"abc", 0},
      {L"", 0},
      {L"0x10", 0},
      {L"- 5", 0},
      {L"2147483647", 2147483647},
      {L"2147483648", 2147483647},  // saturates instead of wrapping
      {L"99999999999999999999", 2147483647},
      {L"-2147483648", INT32_MIN},
      {L"-99999999999999999999", INT32_MIN},
      {L"\x0663", 0},  // only ASCII digits count
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.value, ParseAccountNumber(c.text)) << std::string(c.text.begin(), c.text.end());
}

TEST(HandOverRules, VersionAboveTheBoundWithRemainderOne) {
  const struct {
    uint32_t version;
    bool suitable;
  } cases[] = {
      {5551, false},       {5552, false},        {5557, true}, {5558, false},
      {5563, true},        {5545, false},        {0, false},   {1, false},
      {4294967287u, true}, {4294967291u, false},  // no wrap-around near the top
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.suitable, IsHandOverVersion(c.version)) << c.version;
}

TEST(HandOverRules, YiTiaoLongParams) {
  struct Case {
    std::string json;
    uint32_t uin;
    std::string url;
  } cases[] = {
      {R"({"Uin":123456,"OpenUrl":"https://example.test/a?b=c"})", 123456,
       "https://example.test/a?b=c"},
      {R"({"Uin":4294967295})", 4294967295u, ""},
      {R"({"OpenUrl":"u"})", 0, "u"},
      {R"({"Uin":"123","OpenUrl":5})", 0, ""},
      {R"({"Uin":-1})", 0, ""},
      {R"({"Uin":4294967296})", 0, ""},
      {R"({"Uin":12.5})", 0, ""},
      {R"({"Uin":7.0})", 7, ""},
      {R"({"Uin":true})", 0, ""},
      {R"({"Uin":1e30})", 0, ""},
      {R"({"Uin":5,"OpenUrl":"\u00e4"})", 5, "\xC3\xA4"},
      {R"([1,2])", 0, ""},
      {"not json", 0, ""},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    YiTiaoLongParams params = ReadYiTiaoLongParams(c.json);
    EXPECT_EQ(c.uin, params.m_uin) << c.json;
    EXPECT_EQ(c.url, params.m_openUrl) << c.json;
  }
}

}  // namespace
}  // namespace docwick
