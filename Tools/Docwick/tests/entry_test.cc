// Docwick.exe's command line, run for real: exit codes and what reaches the log.
#include <gtest/gtest.h>

#include "docwick_install.h"

namespace docwick_test {
namespace {

const DWORD kBadCommandLine = 1028;

struct EntryCase {
  const wchar_t* args;
  bool runner_not_found_logged;
};

TEST(DocwickEntry, BadCommandLinesExitWith1028) {
  const EntryCase cases[] = {
      {L"", false},
      {L"--params=abc", false},
      {L"--command=DocxPreview", false},
      {L"--Command=Register --params=", false},
      {L"\"--command=DocxPreview --params=abc\"", false},
      {L"--command=docxpreview --params=abc", true},
      {L"--params=abc --command=NoSuchCommand", true},
      {L"--command=NoSuchCommand --command=DocxPreview --params=abc", true},
      {L"--command= --params=", true},
  };
  for (const EntryCase& c : cases) {
    DocwickInstall install;
    ASSERT_TRUE(install.ok());
    tern_test::ProcessResult result = install.Run(c.args);
    ASSERT_TRUE(result.started);
    EXPECT_EQ(kBadCommandLine, result.exit_code) << c.args;
    std::string log = install.Log();
    EXPECT_EQ(1, CountLines(log, "[WinMain] wWinMain: CommandLine [")) << c.args;
    EXPECT_EQ(c.runner_not_found_logged ? 1 : 0,
              CountLines(log, "[WinMain] wWinMain: Runner not found"))
        << c.args;
  }
}

TEST(DocwickEntry, LogsTheRawCommandLineExactly) {
  DocwickInstall install;
  ASSERT_TRUE(install.ok());
  // Non-ASCII, blanks, quotes and printf directives all reach the log unchanged.
  const std::wstring args = L"--command=Nope \"--params=C:\\d\x00FC r\\%s %d.docx\"";
  ASSERT_EQ(kBadCommandLine, install.Run(args).exit_code);
  EXPECT_EQ(1, CountLines(install.Log(),
                          "CommandLine [--command=Nope \"--params=C:\\d\xC3\xBC r\\%s "
                          "%d.docx\"]"));
}

TEST(DocwickEntry, HostileCommandLinesEndCleanly) {
  std::wstring huge = L"--command=NoSuchCommand --params=" + std::wstring(30000, L'A');
  std::wstring binary = L"--params=";
  for (wchar_t c = 1; c < 0x120; ++c) {
    if (c != L'"' && c != L' ' && c != L'\t')
      binary.push_back(c);
  }
  binary += L"\xD800\xDFFF\xDC00 --command=\xFFFF";
  for (const std::wstring& args : {huge, binary}) {
    DocwickInstall install;
    ASSERT_TRUE(install.ok());
    tern_test::ProcessResult result = install.Run(args);
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(kBadCommandLine, result.exit_code);
    EXPECT_EQ(1, CountLines(install.Log(), "CommandLine ["));
  }
}

}  // namespace
}  // namespace docwick_test
