#include "UninstallCustomAction/task/local_server_path.h"

#include <gtest/gtest.h>

namespace {

TEST(LocalServerPathTest, SurroundingQuotesAreDroppedOthersStay) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"\"C:\\Mini DL\\minidl.exe\"", L"C:\\Mini DL\\minidl.exe"},
      {L"C:\\MiniDL\\minidl.exe", L"C:\\MiniDL\\minidl.exe"},
      {L"\"\"C:\\m.exe\"\"", L"C:\\m.exe"},
      {L"\"C:\\m.exe\" /Automation", L"C:\\m.exe\" /Automation"},
      {L"\"", L""},
      {L"", L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.out, uninstall::StripSurroundingQuotes(c.in));
}

}  // namespace
