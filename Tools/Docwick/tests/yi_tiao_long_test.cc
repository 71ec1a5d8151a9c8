// YiTiaoLong through the real Docwick.exe against stand-in Pelican clients: exit codes and the
// hand-over call the matching client receives.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client_peers.h"
#include "docwick_install.h"
#include "keystone.h"
#include "rpc/json_text.h"

namespace docwick_test {
namespace {

const DWORD kHandedOver = 0;
const DWORD kNoClientOfAccount = static_cast<DWORD>(-1);
const DWORD kBadParams = static_cast<DWORD>(-2);
const char kUrl[] = "https://example.test/open?x=1&y=\xC3\xA4";

std::wstring Params(const std::string& json) {
  std::string text = ks::Base64Encode(json);
  return std::wstring(text.begin(), text.end());
}

std::wstring Request(uint32_t uin) {
  return Params("{\"Uin\":" + std::to_string(uin) + ",\"OpenUrl\":\"" + kUrl + "\"}");
}

DWORD RunYiTiaoLong(const std::wstring& params) {
  DocwickInstall install;
  EXPECT_TRUE(install.ok());
  tern_test::ProcessResult result = install.Run(L"--command=YiTiaoLong --params=" + params);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timed_out);
  return result.exit_code;
}

std::vector<std::string> Methods(const ClientPeer& client) {
  std::vector<std::string> methods;
  for (const Json::Value& call : client.Calls())
    methods.push_back(call["method"].asString());
  return methods;
}

// The parameters of the client's DoYiTiaoLong call; null when there was none.
std::unique_ptr<Json::Value> HandOverParams(const ClientPeer& client) {
  for (const Json::Value& call : client.Calls()) {
    if (call["method"].asString() != "DoYiTiaoLong")
      continue;
    std::string text = call["params"].asString();
    auto params = std::make_unique<Json::Value>();
    if (!docwick::ParseJsonText(text.data(), text.size(), params.get()))
      return nullptr;
    return params;
  }
  return nullptr;
}

TEST(YiTiaoLong, AutoLogonOnlyForAClientKnownToBeUnlocked) {
  struct Case {
    const wchar_t* locked_switch;
    const wchar_t* result_switch;
    bool auto_logon;
  } cases[] = {
      {L"--locked=1", L"--result=true", false},
      {L"", L"--result=true", false},
      {L"--locked=0", L"--result=true", true},
      // The client's own answer does not change the exit code.
      {L"--locked=0", L"--result=false", true},
      {L"--locked=1", L"--result=none", false},
  };
  for (const Case& c : cases) {
    ClientPeer client(std::wstring(L"--class=pelican --uin=123456 ") + c.locked_switch + L" " +
                      c.result_switch);
    ASSERT_TRUE(client.ok());
    EXPECT_EQ(kHandedOver, RunYiTiaoLong(Request(123456)))
        << c.locked_switch << " " << c.result_switch;
    std::unique_ptr<Json::Value> params = HandOverParams(client);
    ASSERT_TRUE(params) << c.locked_switch;
    EXPECT_TRUE((*params)["bAutoLogonTern"].isBool());
    EXPECT_EQ(c.auto_logon, (*params)["bAutoLogonTern"].asBool()) << c.locked_switch;
    EXPECT_EQ(123456u, (*params)["dwUin"].asUInt());
    EXPECT_EQ(kUrl, (*params)["strOpenUrl"].asString());
    EXPECT_EQ(3u, params->size());
  }
}

TEST(YiTiaoLong, HandsOverToTheClientOfTheAccountOnly) {
  ClientPeer first(L"--class=pelican --uin=111 --locked=0");
  ClientPeer wanted(L"--class=pelican --uin=4294967295 --locked=0");
  ClientPeer last(L"--class=pelican --uin=333 --locked=0");
  ASSERT_TRUE(first.ok() && wanted.ok() && last.ok());
  EXPECT_EQ(kHandedOver, RunYiTiaoLong(Request(4294967295u)));
  EXPECT_TRUE(HandOverParams(wanted));
  EXPECT_FALSE(HandOverParams(first));
  EXPECT_FALSE(HandOverParams(last));
  // Windows come in creation order or its reverse: the client before the match was asked who
  // it is, the walk stopped at the match, so the one after it was never asked.
  EXPECT_EQ(1u, Methods(first).size() + Methods(last).size());
}

TEST(YiTiaoLong, NoClientOfTheAccountExitsMinusOne) {
  {
    ClientPeer other1(L"--class=pelican --uin=111");
    ClientPeer other2(L"--class=pelican --uin=222");
    // A Tern client of the account is not a Pelican client; an account number beyond 32 bits
    // whose low half matches is not the account either.
    ClientPeer tern(L"--class=tern --uin=123456");
    ClientPeer wide(L"--class=pelican --uin=4295090752");  // 2^32 + 123456
    ClientPeer noUin(L"--class=pelican --locked=0");
    ASSERT_TRUE(other1.ok() && other2.ok() && tern.ok() && wide.ok() && noUin.ok());
    EXPECT_EQ(kNoClientOfAccount, RunYiTiaoLong(Request(123456)));
    for (const ClientPeer* client : {&other1, &other2, &wide, &noUin}) {
      EXPECT_EQ(std::vector<std::string>{"Docx.GetClientBasicInfo"}, Methods(*client));
    }
    EXPECT_TRUE(Methods(tern).empty());
  }
  // No Pelican window at all.
  EXPECT_EQ(kNoClientOfAccount, RunYiTiaoLong(Request(123456)));
}

TEST(YiTiaoLong, UnreadableParametersExitMinusTwoWithoutAsking) {
  ClientPeer client(L"--class=pelican --uin=0 --locked=0");
  ASSERT_TRUE(client.ok());
  const std::wstring cases[] = {
      L"",
      L"not base64!",
      L"eyJVaW4iOjF9x",  // a stray character after valid text
      Params("{\"Uin\":0,\"OpenUrl\":\"u\"}"),
      Params("{\"OpenUrl\":\"u\"}"),
      Params("{\"Uin\":\"123456\"}"),
      Params("{\"Uin\":-5}"),
      Params("not json"),
  };
  for (const std::wstring& params : cases)
    EXPECT_EQ(kBadParams, RunYiTiaoLong(params)) << std::string(params.begin(), params.end());
  EXPECT_TRUE(client.Calls().empty());
}

}  // namespace
}  // namespace docwick_test
