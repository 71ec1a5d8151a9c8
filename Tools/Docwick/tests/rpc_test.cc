// The client calls across real processes: this test process calls, stand-in clients answer.
#include "rpc/rpc.h"

#include <gtest/gtest.h>

#include "client_peers.h"
#include "docwick_install.h"
#include "keystone.h"
#include "rpc/client_windows.h"
#include "rpc/json_text.h"

namespace docwick_test {
namespace {

using docwick::ClientBasicInfo;
namespace Rpc = docwick::Rpc;

// What this process logged since the fixture started.
class RpcTest : public ::testing::Test {
 protected:
  void SetUp() override { m_logStart = ReadLog().size(); }
  std::string NewLog() const { return ReadLog().substr(m_logStart); }

 private:
  static std::string ReadLog() {
    FlushLog();
    return tern_test::ReadFileBytes(tern_test::ExeDir() + L"\\log\\docwick_rpc_test.log");
  }
  size_t m_logStart = 0;
};

TEST_F(RpcTest, GetClientBasicInfoReadsWhatTheClientSends) {
  ClientPeer client(
      L"--uin=123456789012 --product=Tern --locked=0 --online=1 --pubno=7 --nickname=N\x00E4 "
      L"\"--headpath=C:\\heads\\a b.png\"");
  ASSERT_TRUE(client.ok());
  std::shared_ptr<ClientBasicInfo> info = Rpc::GetClientBasicInfo(client.hwnd());
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->m_hasUin);
  EXPECT_EQ(123456789012ull, info->m_uin);
  EXPECT_EQ("Tern", info->m_productName);
  EXPECT_TRUE(info->m_hasLocked);
  EXPECT_FALSE(info->m_locked);
  EXPECT_TRUE(info->m_online);
  EXPECT_EQ(7u, info->m_pubno);
  EXPECT_EQ("N\xC3\xA4", info->m_nickname);
  EXPECT_EQ("C:\\heads\\a b.png", info->m_headpath);

  std::vector<Json::Value> calls = client.Calls();
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ("Docx.GetClientBasicInfo", calls[0]["method"].asString());
  EXPECT_EQ("{}", calls[0]["params"].asString());
}

TEST_F(RpcTest, GetClientBasicInfoRepliesFromTheWire) {
  tern_test::ScopedTempDir dir;
  struct Case {
    std::string reply;
    bool ok;
    bool has_uin;
    bool has_locked;
  } cases[] = {
      {R"({"uin":"123"})", true, true, false},
      {R"({"uin":123,"locked":true})", true, false, true},
      {R"({"uin":"x1","locked":"true"})", true, false, false},
      {R"({"uin":"99999999999999999999","locked":false})", true, false, true},
      {R"([])", true, false, false},
      {"not json at all", false, false, false},
      {R"({"uin":"1")", false, false, false},
      {std::string(200000, '[') + std::string(200000, ']'), false, false, false},
  };
  for (const Case& c : cases) {
    ClientPeer client(L"--reply-file=" + tern_test::QuoteArg(WriteReplyFile(dir, c.reply)));
    ASSERT_TRUE(client.ok());
    size_t parseFailsBefore = CountLines(NewLog(), "GetClientBasicInfo parse JSON fail.");
    std::shared_ptr<ClientBasicInfo> info = Rpc::GetClientBasicInfo(client.hwnd());
    EXPECT_EQ(c.ok, info != nullptr) << c.reply.substr(0, 40);
    if (info) {
      EXPECT_EQ(c.has_uin, info->m_hasUin) << c.reply;
      EXPECT_EQ(c.has_locked, info->m_hasLocked) << c.reply;
    } else {
      EXPECT_EQ(parseFailsBefore + 1,
                static_cast<size_t>(CountLines(NewLog(), "GetClientBasicInfo parse JSON fail.")));
    }
  }
}

TEST_F(RpcTest, ReplyOfSeveralMegabytesArrivesWhole) {
  tern_test::ScopedTempDir dir;
  const std::string nickname(6 * 1024 * 1024, 'n');
  ClientPeer client(L"--reply-file=" +
                    tern_test::QuoteArg(
                        WriteReplyFile(dir, "{\"uin\":\"5\",\"nickname\":\"" + nickname + "\"}")));
  ASSERT_TRUE(client.ok());
  std::shared_ptr<ClientBasicInfo> info = Rpc::GetClientBasicInfo(client.hwnd());
  ASSERT_TRUE(info);
  EXPECT_EQ(nickname.size(), info->m_nickname.size());
  EXPECT_EQ(5u, info->m_uin);
}

TEST_F(RpcTest, RequestNumbersRiseByOneAcrossOperations) {
  ClientPeer client(L"--uin=1 --report-count=3");
  ASSERT_TRUE(client.ok());
  ASSERT_TRUE(Rpc::GetClientBasicInfo(client.hwnd()));
  Rpc::LocalDocFileOnlinePreviewViaTern(client.hwnd(), L"C:\\a.docx");
  Rpc::DoYiTiaoLongViaPelican(client.hwnd(), 5, false, "u");
  Rpc::ReportPreviewMenuItemClick();
  std::vector<Json::Value> calls = client.Calls();
  ASSERT_EQ(4u, calls.size());
  for (size_t i = 1; i < calls.size(); ++i)
    EXPECT_EQ(calls[0]["id"].asUInt() + i, calls[i]["id"].asUInt());
  EXPECT_GE(calls[0]["id"].asUInt(), 1u);
}

TEST_F(RpcTest, PreviewSendsThePathAsUtf8AndReturnsTheClientsResult) {
  const std::wstring path = L"C:\\Users\\d\x00FC r\\\x6587\x6863 \"q\".docx";
  struct Case {
    const wchar_t* result;
    bool expected;
  } cases[] = {{L"true", true}, {L"false", false}, {L"none", false}};
  for (const Case& c : cases) {
    ClientPeer client(std::wstring(L"--result=") + c.result);
    ASSERT_TRUE(client.ok());
    EXPECT_EQ(c.expected, Rpc::LocalDocFileOnlinePreviewViaTern(client.hwnd(), path)) << c.result;
    std::vector<Json::Value> calls = client.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("LocalDocFileOnlinePreview", calls[0]["method"].asString());
    Json::Value params;
    std::string text = calls[0]["params"].asString();
    ASSERT_TRUE(docwick::ParseJsonText(text.data(), text.size(), &params));
    EXPECT_EQ(ks::ToUtf8(path), params["file_path"].asString());
    EXPECT_EQ(1u, params.size());
  }
}

TEST_F(RpcTest, HandOverSendsItsThreeParameters) {
  ClientPeer client(L"--class=pelican --result=true");
  ASSERT_TRUE(client.ok());
  EXPECT_TRUE(Rpc::DoYiTiaoLongViaPelican(client.hwnd(), 4000000000u, true, "https://a.test/?q=1"));
  std::vector<Json::Value> calls = client.Calls();
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ("DoYiTiaoLong", calls[0]["method"].asString());
  EXPECT_EQ(R"({"bAutoLogonTern":true,"dwUin":4000000000,"strOpenUrl":"https://a.test/?q=1"})",
            calls[0]["params"].asString());
}

TEST_F(RpcTest, TransportFailuresAreLoggedWithTheirCodes) {
  struct Case {
    const wchar_t* options;
    const char* line;
  } cases[] = {
      {L"--server-error=7",
       "GetClientBasicInfo get_result_data fail invoke_error_code[5] server_error_code[7] "
       "invoke_error_msg[stand-in client error]"},
      {L"--vanish", "GetClientBasicInfo get_result_data fail invoke_error_code[1] "},
      {L"--delay=8000", "GetClientBasicInfo get_result_data fail invoke_error_code[2] "},
  };
  for (const Case& c : cases) {
    ClientPeer client(c.options);
    ASSERT_TRUE(client.ok());
    DWORD start = GetTickCount();
    EXPECT_FALSE(Rpc::GetClientBasicInfo(client.hwnd())) << c.options;
    EXPECT_LT(GetTickCount() - start, 7000u) << c.options;
    EXPECT_EQ(1, CountLines(NewLog(), c.line)) << c.options;
  }
}

TEST_F(RpcTest, AWindowThatIsNoWindowFailsAtTheTarget) {
  EXPECT_FALSE(Rpc::GetClientBasicInfo(nullptr));
  EXPECT_FALSE(Rpc::LocalDocFileOnlinePreviewViaTern(reinterpret_cast<HWND>(0x1234), L"C:\\a"));
  std::string log = NewLog();
  EXPECT_EQ(1, CountLines(log,
                          "[RPC] Rpc::GetClientBasicInfo: GetClientBasicInfo "
                          "set_target_window fail. ret["));
  EXPECT_EQ(1, CountLines(log, "LocalDocFileOnlinePreviewViaTern set_target_window fail. ret["));
}

TEST_F(RpcTest, SeveralClientsAreFoundAndAskedOneByOne) {
  ClientPeer a(L"--uin=11");
  ClientPeer b(L"--uin=22");
  ClientPeer c(L"--uin=33 --class=pelican");
  ASSERT_TRUE(a.ok() && b.ok() && c.ok());
  std::vector<HWND> windows = docwick::FindClientWindows(docwick::kClientWindowClass);
  ASSERT_EQ(2u, windows.size());
  uint64_t sum = 0;
  for (HWND hwnd : windows) {
    std::shared_ptr<ClientBasicInfo> info = Rpc::GetClientBasicInfo(hwnd);
    ASSERT_TRUE(info);
    sum += info->m_uin;
  }
  EXPECT_EQ(33u, sum);
  EXPECT_EQ(std::vector<HWND>{c.hwnd()},
            docwick::FindClientWindows(docwick::kLegacyClientWindowClass));
}

TEST_F(RpcTest, UsageReportNeedsATernClientAndLogsTheCount) {
  {
    ClientPeer pelican(L"--class=pelican");
    ASSERT_TRUE(pelican.ok());
    Rpc::ReportPreviewMenuItemClick();
    EXPECT_TRUE(pelican.Calls().empty());
    EXPECT_EQ(1, CountLines(NewLog(),
                            "[DocxPreviewRunner] "
                            "DocxPreviewRunner::LocalFilePreviewMenuItemClickDataReportViaTern: "
                            "LocalFilePreviewMenuItemClickDataReportViaTern hWnd == NULL"));
  }
  {
    ClientPeer client(L"--report-count=41");
    ASSERT_TRUE(client.ok());
    Rpc::ReportPreviewMenuItemClick();
    ASSERT_EQ(1u, client.Calls().size());
    EXPECT_EQ("Docx.DataReport.Report0X8008BF1", client.Calls()[0]["method"].asString());
    EXPECT_EQ(1, CountLines(NewLog(),
                            "LocalFilePreviewMenuItemClickDataReportViaTern result JSON "
                            "report_count[41]"));
  }
  {
    ClientPeer client(L"");
    ASSERT_TRUE(client.ok());
    Rpc::ReportPreviewMenuItemClick();
    EXPECT_EQ(1, CountLines(NewLog(),
                            "LocalFilePreviewMenuItemClickDataReportViaTern result JSON "
                            "miss report_count"));
  }
}

}  // namespace
}  // namespace docwick_test
