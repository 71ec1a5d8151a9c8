#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "base/logging.h"
#include "base/string_util.h"
#include "base/utf_string_conversions.h"

namespace {

TEST(LoggingTest, LinePrefixHasEveryItemInOrder) {
  logging::LogPrefix prefix;
  prefix.process_id = 1234;
  prefix.thread_id = 56;
  prefix.month = 3;
  prefix.day = 7;
  prefix.hour = 9;
  prefix.minute = 5;
  prefix.second = 2;
  prefix.tickcount = 987654;
  EXPECT_EQ("[1234:56:0307/090502:987654:INFO:parser.cc(42)] ",
            logging::FormatLinePrefix(prefix, logging::kInfo, "/src/task_object/parser.cc", 42));
  EXPECT_EQ("[1234:56:0307/090502:987654:ERROR_REPORT:a.cc(1)] ",
            logging::FormatLinePrefix(prefix, logging::kErrorReport, "C:\\src\\a.cc", 1));
  EXPECT_EQ("[1234:56:0307/090502:987654:VERBOSE2:a.cc(1)] ",
            logging::FormatLinePrefix(prefix, -2, "a.cc", 1));
  prefix.with_thread_id = false;
  prefix.with_tickcount = false;
  EXPECT_EQ("[1234:0307/090502:WARNING:a.cc(1)] ",
            logging::FormatLinePrefix(prefix, logging::kWarning, "a.cc", 1));
}

TEST(LoggingTest, LinesAreAppendedToTheFileAndVerbosityFollowsTheSwitches) {
  std::string path = ::testing::TempDir() + "anvil_logging_test.log";
  {
    std::ofstream existing(path, std::ios::trunc);
    existing << "earlier line\n";
  }
  logging::LoggingSettings settings;
  settings.log_file = path;
  settings.to_file = true;
  settings.to_debugger = false;
  ASSERT_TRUE(logging::InitLogging(settings));
  logging::SetLogItems(true, true, true, true);
  logging::SetVerbosity(1);
  logging::SetVModule("logging_unit*=3");
  LOG(INFO) << "4000: \xe8\xb5\x84\xe6\xba\x90\xe8\x8e\xb7\xe5\x8f\x96\xe5\xa4\xb1\xe8\xb4\xa5";
  VLOG(3) << "verbose three";
  VLOG(4) << "verbose four";
  logging::SetVModule("");
  VLOG(1) << "verbose one";
  VLOG(2) << "verbose two";
  DCHECK(1 + 1 == 3);  // checks are off after InitLogging: silent
  logging::CloseLogFile();
  logging::SetVerbosity(0);
  logging::InitLogging(logging::LoggingSettings());

  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);)
    lines.push_back(line);
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ("earlier line", lines[0]);
  const std::regex prefix(
      R"(^\[\d+:\d+:\d{4}/\d{6}:\d+:([A-Z_0-9]+):logging_unittest\.cc\(\d+\)\] (.*)$)");
  const char* expected[][2] = {
      {"INFO", "4000: \xe8\xb5\x84\xe6\xba\x90\xe8\x8e\xb7\xe5\x8f\x96\xe5\xa4\xb1\xe8\xb4\xa5"},
      {"VERBOSE3", "verbose three"},
      {"VERBOSE1", "verbose one"}};
  for (int i = 0; i < 3; ++i) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[i + 1], match, prefix)) << lines[i + 1];
    EXPECT_EQ(expected[i][0], match[1].str());
    EXPECT_EQ(expected[i][1], match[2].str());
  }
  std::remove(path.c_str());
}

TEST(StringUtilTest, SplitTrimsAndDropsEmptyPieces) {
  using V = std::vector<std::string>;
  EXPECT_EQ((V{"A", "B", "C"}), base::SplitNonEmptyTrimmed("A; \t B \r\n;; \v\f;C", ';'));
  EXPECT_EQ(V{}, base::SplitNonEmptyTrimmed("", ';'));
  EXPECT_EQ(V{}, base::SplitNonEmptyTrimmed(" ; \t ", ';'));
  EXPECT_EQ((V{"x y"}), base::SplitNonEmptyTrimmed(" x y ", ';'));
}

TEST(UTFConversionTest, RoundTripsAndReplacesInvalidInput) {
  const std::wstring wide = L"a\u00e9\u63d0\u793a\U0001F600";
  const std::string utf8 = "a\xc3\xa9\xe6\x8f\x90\xe7\xa4\xba\xf0\x9f\x98\x80";
  EXPECT_EQ(utf8, base::WideToUTF8(wide));
  EXPECT_EQ(wide, base::UTF8ToWide(utf8));
  EXPECT_EQ(L"a\ufffdb", base::UTF8ToWide("a\xff"
                                          "b"));
  // One replacement per byte that cannot start or continue a sequence.
  EXPECT_EQ(L"\ufffd\ufffd", base::UTF8ToWide("\xe6\x8f"));
  EXPECT_EQ(L"\ufffd\ufffd", base::UTF8ToWide("\xc0\x80"));
}

}  // namespace
