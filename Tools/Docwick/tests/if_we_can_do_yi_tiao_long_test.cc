// IfWeCanDoYiTiaoLong through the real Docwick.exe against the stand-in enumeration service.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "client_enum_service.h"
#include "docwick_install.h"

namespace docwick_test {
namespace {

DWORD RunIfWeCan(const std::wstring& params) {
  DocwickInstall install;
  EXPECT_TRUE(install.ok());
  tern_test::ProcessResult result =
      install.Run(L"--command=IfWeCanDoYiTiaoLong --params=" + tern_test::QuoteArg(params));
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timed_out);
  return result.exit_code;
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

struct Case {
  const char* what;
  std::wstring params;
  std::string entries;
  DWORD answer;
};

void RunCases(const Case* cases, size_t count) {
  ScopedClientEnumService service("");
  ASSERT_TRUE(service.ok());
  for (size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    ASSERT_TRUE(service.SetEntries(c.entries));
    EXPECT_EQ(c.answer, RunIfWeCan(c.params)) << c.what;
    // Each case meets a fresh server: wait for the last one to go.
    ASSERT_TRUE(service.WaitForServersToEnd()) << c.what;
  }
  std::vector<std::string> record = service.Record();
  EXPECT_EQ(static_cast<int>(count), Count(record, "CreateInstance"));
}

TEST(IfWeCanDoYiTiaoLong, VersionRule) {
  const Case cases[] = {
      {"5557", L"123456", "dispatch UUin=ui4:123456 Version=ui4:5557\n", 1},
      {"5563", L"123456", "dispatch UUin=ui4:123456 Version=ui4:5563\n", 1},
      {"5551", L"123456", "dispatch UUin=ui4:123456 Version=ui4:5551\n", 0},
      {"5552", L"123456", "dispatch UUin=ui4:123456 Version=ui4:5552\n", 0},
      {"5558", L"123456", "dispatch UUin=ui4:123456 Version=ui4:5558\n", 0},
      {"5545", L"123456", "dispatch UUin=ui4:123456 Version=ui4:5545\n", 0},
      {"version as text", L"123456", "dispatch UUin=ui4:123456 Version=bstr:5557\n", 1},
      {"negative version", L"123456", "dispatch UUin=ui4:123456 Version=i4:-5\n", 0},
      {"no version", L"123456", "dispatch UUin=ui4:123456\n", 0},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(IfWeCanDoYiTiaoLong, WalksToTheFirstEntryOfTheAccount) {
  const Case cases[] = {
      {"no entries", L"123456", "", 0},
      {"passes over other entries", L"123456",
       "empty\n"
       "dispatch Version=ui4:5557\n"
       "dispatch UUin=ui4:5 Version=ui4:5557\n"
       "dispatch UUin=bstr:123456 Version=ui4:5557\n",
       1},
      {"the first entry of the account decides", L"123456",
       "dispatch UUin=ui4:123456 Version=ui4:5551\n"
       "dispatch UUin=ui4:123456 Version=ui4:5557\n",
       0},
      {"a failing request ends the walk", L"123456",
       "dispatch UUin=ui4:1 Version=ui4:5557\n"
       "fail\n"
       "dispatch UUin=ui4:123456 Version=ui4:5557\n",
       0},
      {"accounts compare as 32-bit values", L"123456",
       "dispatch UUin=ui8:4295090752 Version=ui4:5557\n", 1},
      {"a negative parameter is the same 32 bits", L"-1",
       "dispatch UUin=ui4:4294967295 Version=ui4:5557\n", 1},
      {"leading digits count", L"  123456xyz", "dispatch UUin=i4:123456 Version=ui4:5563\n", 1},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(IfWeCanDoYiTiaoLong, StopsReadingAtTheMatchingEntry) {
  ScopedClientEnumService service(
      "dispatch UUin=ui4:7 Version=ui4:5557\n"
      "dispatch UUin=ui4:123456 Version=ui4:5557\n"
      "dispatch UUin=ui4:123456 Version=ui4:5557\n");
  ASSERT_TRUE(service.ok());
  EXPECT_EQ(1u, RunIfWeCan(L"123456"));
  ASSERT_TRUE(service.WaitForServersToEnd());
  std::vector<std::string> record = service.Record();
  EXPECT_EQ(1, Count(record, "FirstEntry"));
  EXPECT_EQ(1, Count(record, "NextEntry"));
  EXPECT_EQ(2, Count(record, "GetProperty UUin"));
  EXPECT_EQ(1, Count(record, "GetProperty Version"));
}

TEST(IfWeCanDoYiTiaoLong, AccountZeroCreatesNoObject) {
  ScopedClientEnumService service("dispatch UUin=ui4:0 Version=ui4:5557\n");
  ASSERT_TRUE(service.ok());
  for (const wchar_t* params : {L"abc", L"", L"0", L"-0", L"x123456"})
    EXPECT_EQ(0u, RunIfWeCan(params)) << params;
  // The service was never started.
  EXPECT_TRUE(service.Record().empty());
}

TEST(IfWeCanDoYiTiaoLong, NoServiceRegisteredAnswersZero) {
  ASSERT_TRUE(UnregisterClientEnumService());
  EXPECT_EQ(0u, RunIfWeCan(L"123456"));
}

}  // namespace
}  // namespace docwick_test
