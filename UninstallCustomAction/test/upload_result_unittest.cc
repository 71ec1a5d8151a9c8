// UninstallUploadResult against the statistics server stand-in on loopback. CTest runs
// this program in a mount namespace whose /etc/hosts maps the report's host name to
// 127.0.0.1, inside the loopback-only network namespace of the test run.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "UninstallCustomAction/task/uninstall_upload_result.h"
#include "base/at_exit.h"
#include "setup/setup_context.h"
#include "test_helpers_win.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace {

// Three attempts, each bounded by a connect and a receive time-out of 5 s, plus slack.
const DWORD kWholeTaskBoundMs = 3 * 5000 + 5000;

// major.minor.build of the system's msi.dll, read through the version resource.
std::string MsiVersionFromResource() {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring path = std::wstring(system) + L"\\msi.dll";
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0)
    return std::string();
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length)) {
    return std::string();
  }
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS));
}

std::string ExpectedRequest(const std::string& version, const std::string& os) {
  return "GET  Upload_Data\r\nVERSION: 1 \r\nMODULE_ID: 607 \r\nCOMM:" + version + "," + os + "," +
         MsiVersionFromResource() +
         ",0,6,1,2\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows Xp)\r\n"
         "Host: 127.0.0.1:443\r\nCache-Control: no-cache\r\n\r\n";
}

class StatsServer {
 public:
  bool Start(const std::wstring& replies) {
    if (!process_.Start(tern_test::ExeDir() + L"\\stats_server.exe",
                        tern_test::QuoteArg(L"--dir=" + dir_.path()) + L" " +
                            tern_test::QuoteArg(L"--replies=" + replies))) {
      return false;
    }
    DWORD start = GetTickCount();
    while (GetFileAttributesW(dir_.Join(L"ready").c_str()) == INVALID_FILE_ATTRIBUTES) {
      DWORD code = 0;
      if (GetTickCount() - start > 10000 || process_.Wait(0, &code))
        return false;
      Sleep(10);
    }
    return true;
  }
  std::vector<std::string> Requests() const {
    std::vector<std::string> requests;
    for (int n = 1;; ++n) {
      std::wstring path = dir_.Join(L"request_" + std::to_wstring(n) + L".txt");
      if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return requests;
      requests.push_back(tern_test::ReadFileBytes(path));
    }
  }

 private:
  tern_test::ScopedTempDir dir_;
  tern_test::ScopedProcess process_;
};

struct ReplyCase {
  const char* name;
  const wchar_t* replies;
  size_t attempts;
};

class UploadReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(UploadReplyTest, AttemptsUntilAccepted) {
  const ReplyCase& c = GetParam();
  base::ShadowingAtExitManager at_exit;
  SetupContext::SetWStringValue("UninstallReportVersion", L"9.1.2.3051");
  StatsServer server;
  ASSERT_TRUE(server.Start(c.replies));
  DWORD start = GetTickCount();
  uninstall::UninstallUploadResult().Run(nullptr);
  DWORD elapsed = GetTickCount() - start;
  std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(c.attempts, requests.size());
  for (const std::string& request : requests)
    EXPECT_EQ(ExpectedRequest("9.1.2.3051", "601"), request);
  EXPECT_LT(elapsed, kWholeTaskBoundMs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    UploadReplyTest,
    ::testing::Values(ReplyCase{"AcceptedFirst", L"RESULT: 1", 1},
                      ReplyCase{"AcceptedAfterBlanksInLongerReply",
                                L"HTTP/1.0 200 OK\r\n\r\nRESULT: \t 1\r\n", 1},
                      ReplyCase{"RefusedThreeTimes", L"RESULT: 0", 3},
                      ReplyCase{"RefusedThenAccepted", L"RESULT: 0|RESULT:1", 2},
                      ReplyCase{"ClosedWithoutAnswer", L"close", 3},
                      ReplyCase{"NeverAnswers", L"silent", 3}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

TEST(UploadResultTest, NoServerEndsQuickly) {
  base::ShadowingAtExitManager at_exit;
  SetupContext::SetWStringValue("UninstallReportVersion", L"9.1");
  DWORD start = GetTickCount();
  uninstall::UninstallUploadResult().Run(nullptr);
  EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(UploadResultTest, MissingReportVersionIsSentEmpty) {
  base::ShadowingAtExitManager at_exit;
  StatsServer server;
  ASSERT_TRUE(server.Start(L"RESULT: 1"));
  uninstall::UninstallUploadResult().Run(nullptr);
  std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ(ExpectedRequest("", "601"), requests[0]);
}

TEST(UploadResultTest, ReportVersionInAnsiCodePage) {
  if (GetACP() != 1252)
    GTEST_SKIP() << "expectation written for code page 1252, this prefix uses " << GetACP();
  base::ShadowingAtExitManager at_exit;
  // e acute is in the code page; the CJK character is not and becomes its default character.
  SetupContext::SetWStringValue("UninstallReportVersion", L"9.1-\x00E9\x7248");
  StatsServer server;
  ASSERT_TRUE(server.Start(L"RESULT: 1"));
  uninstall::UninstallUploadResult().Run(nullptr);
  std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ(ExpectedRequest("9.1-\xE9?", "601"), requests[0]);
}

// The operating system field for each version the prefix is told to report, in a process
// started after the setting.
TEST(UploadResultTest, OsFieldFollowsReportedWindowsVersion) {
  const struct {
    const wchar_t* wine_version;
    const char* field;
  } cases[] = {
      {L"win7", "601"},
      {L"winxp64", "502"},
  };
  for (const auto& c : cases) {
    StatsServer server;
    ASSERT_TRUE(server.Start(L"RESULT: 1"));
    ASSERT_TRUE(finish_test::SetWineVersion(c.wine_version));
    int code = finish_test::RunTaskProbe(L"--set=UninstallReportVersion=9.1 UninstallUploadResult");
    finish_test::SetWineVersion(L"");
    ASSERT_EQ(0, code);
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(1u, requests.size()) << c.field;
    EXPECT_EQ(ExpectedRequest("9.1", c.field), requests[0]);
  }
}

}  // namespace
