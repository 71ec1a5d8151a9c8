#include "rpc/client_basic_info.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <string>

#include "rpc/json_text.h"

namespace docwick {
namespace {

bool Parse(const std::string& text, ClientBasicInfo* info) {
  Json::Value value;
  if (!ParseJsonText(text.data(), text.size(), &value))
    return false;
  ReadClientBasicInfo(value, info);
  return true;
}

TEST(ClientBasicInfo, UinMustBeADecimalStringWithinRange) {
  struct Case {
    const char* json;
    bool has_uin;
    uint64_t uin;
  } cases[] = {
      {R"({"uin":"123"})", true, 123},
      {R"({"uin":123})", false, 0},
      {R"({"uin":"abc"})", false, 0},
      {R"({"uin":"-5"})", false, 0},
      {R"({"uin":" 7"})", false, 0},
      {R"({"uin":""})", false, 0},
      {R"({"uin":"12abc"})", true, 12},
      {R"({"uin":"18446744073709551615"})", true, 18446744073709551615ull},
      {R"({"uin":"18446744073709551616"})", false, 0},
      {R"({"uin":"99999999999999999999999"})", false, 0},
  };
  for (const auto& c : cases) {
    ClientBasicInfo info;
    ASSERT_TRUE(Parse(c.json, &info)) << c.json;
    EXPECT_EQ(c.has_uin, info.m_hasUin) << c.json;
    if (c.has_uin) {
      EXPECT_EQ(c.uin, info.m_uin) << c.json;
    }
  }
}

TEST(ClientBasicInfo, OnlyUinPresentLeavesEverythingElseAbsent) {
  ClientBasicInfo info;
  ASSERT_TRUE(Parse(R"({"uin":"123"})", &info));
  EXPECT_TRUE(info.m_hasUin);
  EXPECT_FALSE(info.m_hasProductName || info.m_hasLocked || info.m_hasPubno || info.m_hasOnline ||
               info.m_hasNickname || info.m_hasHeadpath);
}

TEST(ClientBasicInfo, BadUinDoesNotStopTheOtherMembers) {
  ClientBasicInfo info;
  ASSERT_TRUE(Parse(R"({"uin":"99999999999999999999","product_name":"Tern","locked":false,)"
                    R"("pubno":3,"online":true,"nickname":"N\u00e4","headpath":"C:\\h.png"})",
                    &info));
  EXPECT_FALSE(info.m_hasUin);
  EXPECT_TRUE(info.m_hasProductName);
  EXPECT_EQ("Tern", info.m_productName);
  EXPECT_TRUE(info.m_hasLocked);
  EXPECT_FALSE(info.m_locked);
  EXPECT_TRUE(info.m_hasPubno);
  EXPECT_EQ(3u, info.m_pubno);
  EXPECT_TRUE(info.m_hasOnline);
  EXPECT_TRUE(info.m_online);
  EXPECT_EQ("N\xC3\xA4", info.m_nickname);
  EXPECT_EQ("C:\\h.png", info.m_headpath);
}

TEST(ClientBasicInfo, MembersOfTheWrongTypeStayAbsent) {
  ClientBasicInfo info;
  ASSERT_TRUE(Parse(R"({"product_name":1,"locked":"true","pubno":"3","online":1,)"
                    R"("nickname":null,"headpath":["x"]})",
                    &info));
  EXPECT_FALSE(info.m_hasProductName || info.m_hasLocked || info.m_hasPubno || info.m_hasOnline ||
               info.m_hasNickname || info.m_hasHeadpath);
}

TEST(ClientBasicInfo, PubnoTakesAnyNumberAsUnsigned) {
  struct Case {
    const char* json;
    uint32_t pubno;
  } cases[] = {
      {R"({"pubno":42})", 42},
      {R"({"pubno":-5})", 0},
      {R"({"pubno":true})", 1},
      {R"({"pubno":false})", 0},
      {R"({"pubno":3.7})", 3},
      {R"({"pubno":-2.5})", 0},
      {R"({"pubno":1e20})", 4294967295u},
      {R"({"pubno":4294967296})", 4294967295u},
  };
  for (const auto& c : cases) {
    ClientBasicInfo info;
    ASSERT_TRUE(Parse(c.json, &info)) << c.json;
    EXPECT_TRUE(info.m_hasPubno) << c.json;
    EXPECT_EQ(c.pubno, info.m_pubno) << c.json;
  }
}

TEST(JsonText, RejectsWhatIsNotJsonWithoutThrowing) {
  const std::string bad[] = {
      "not json",
      "{\"uin\":\"1\"",
      "",
      std::string(100000, '[') + std::string(100000, ']'),
  };
  for (const std::string& text : bad) {
    Json::Value value;
    EXPECT_FALSE(ParseJsonText(text.data(), text.size(), &value)) << text.substr(0, 20);
  }
}

TEST(JsonText, ReadsExactlyTheGivenLengthAndAllowsComments) {
  const std::string text = "{\"result\":true /* why */}garbage";
  Json::Value value;
  ASSERT_TRUE(ParseJsonText(text.data(), text.size() - 7, &value));
  ASSERT_NE(nullptr, JsonMember(value, "result"));
  EXPECT_TRUE(JsonMember(value, "result")->asBool());
  EXPECT_EQ(nullptr, JsonMember(Json::Value(Json::arrayValue), "result"));
}

TEST(JsonText, CompactOutputKeepsUtf8) {
  Json::Value value(Json::objectValue);
  value["file_path"] = "C:\\d\xC3\xBC r\\a.docx";
  EXPECT_EQ("{\"file_path\":\"C:\\\\d\xC3\xBC r\\\\a.docx\"}", CompactJson(value));
}

}  // namespace
}  // namespace docwick
