// Start-up paths below a scratch application-data folder, and the log they lead to.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "base/command_line.h"
#include "base/logging.h"
#include "setup/setup_context.h"
#include "setup_paths.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace {

bool IsDirectory(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring GetW(const char* key) {
  std::wstring value;
  SetupContext::GetWStringValue(key, &value);
  return value;
}

TEST(SetupPathsTest, FoldersAreCreatedBelowApplicationData) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir appdata;
  InitSetupPathsUnder(appdata.path());
  EXPECT_EQ(appdata.path(), GetW("AppdataPath"));
  EXPECT_EQ(appdata.Join(L"Corvane\\Logs"), GetW("LogPath"));
  EXPECT_EQ(appdata.Join(L"Corvane\\Tern\\STemp"), GetW("SetupTempPath"));
  EXPECT_TRUE(IsDirectory(GetW("LogPath")));
  EXPECT_TRUE(IsDirectory(GetW("SetupTempPath")));
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(std::wstring(system), GetW("SystemPath"));
  int32_t flag = 0;
  EXPECT_FALSE(SetupContext::GetIntValue("HasCreateWindowsTemp", &flag));
}

TEST(SetupPathsTest, AFileInTheWayOfTheLogFolderIsReplaced) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir appdata;
  CreateDirectoryW(appdata.Join(L"Corvane").c_str(), nullptr);
  tern_test::WriteFileBytes(appdata.Join(L"Corvane\\Logs"), "not a folder");
  InitSetupPathsUnder(appdata.path());
  EXPECT_TRUE(IsDirectory(appdata.Join(L"Corvane\\Logs")));
}

// A read-only file cannot be deleted, so STemp cannot be made: a fresh
// "pelican_setup_temp<n>" folder under the system temporary folder is used instead.
TEST(SetupPathsTest, BlockedTempFolderFallsBackToSystemTemp) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir appdata;
  std::wstring blocker = appdata.Join(L"Corvane\\Tern\\STemp");
  CreateDirectoryW(appdata.Join(L"Corvane").c_str(), nullptr);
  CreateDirectoryW(appdata.Join(L"Corvane\\Tern").c_str(), nullptr);
  ASSERT_TRUE(tern_test::WriteFileBytes(blocker, "blocker"));
  ASSERT_TRUE(SetFileAttributesW(blocker.c_str(), FILE_ATTRIBUTE_READONLY));
  InitSetupPathsUnder(appdata.path());
  SetFileAttributesW(blocker.c_str(), FILE_ATTRIBUTE_NORMAL);

  std::wstring temp = GetW("SetupTempPath");
  wchar_t system_temp[MAX_PATH];
  GetTempPathW(MAX_PATH, system_temp);
  wchar_t long_temp[MAX_PATH];
  GetLongPathNameW(system_temp, long_temp, MAX_PATH);
  const std::wstring prefix = std::wstring(long_temp) + L"pelican_setup_temp";
  EXPECT_EQ(0u, temp.find(prefix)) << temp;
  EXPECT_NE(std::wstring::npos, temp.find_first_of(L"0123456789", prefix.size()));
  EXPECT_TRUE(IsDirectory(temp));
  int32_t flag = 0;
  EXPECT_TRUE(SetupContext::GetIntValue("HasCreateWindowsTemp", &flag));
  EXPECT_EQ(1, flag);
  EXPECT_FALSE(GetW("SystemPath").empty());
  RemoveDirectoryW(temp.c_str());
}

// The log file is appended to, never replaced, and every line has the full prefix.
TEST(SetupPathsTest, LoggingAppendsToPelicanUninstallLog) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir appdata;
  InitSetupPathsUnder(appdata.path());
  const std::wstring file = appdata.Join(L"Corvane\\Logs\\pelican_uninstall.log");
  ASSERT_TRUE(tern_test::WriteFileBytes(file, "earlier run\r\n"));
  InitUninstallLogging(base::CommandLine({L"Uninstall.exe", L"--v=1"}));
  LOG(INFO) << "first";
  VLOG(1) << "verbose";
  VLOG(2) << "too verbose";
  logging::CloseLogFile();
  logging::SetVerbosity(0);
  logging::InitLogging(logging::LoggingSettings());

  std::string text = tern_test::ReadFileBytes(file);
  ASSERT_EQ(0u, text.find("earlier run\r\n")) << text;
  std::string expected_start = "[" + std::to_string(GetCurrentProcessId()) + ":" +
                               std::to_string(GetCurrentThreadId()) + ":";
  size_t first = text.find('\n') + 1;
  EXPECT_EQ(first, text.find(expected_start, first)) << text;
  EXPECT_NE(std::string::npos, text.find(":INFO:setup_paths_unittest.cc("));
  EXPECT_NE(std::string::npos, text.find(")] first\n"));
  EXPECT_NE(std::string::npos, text.find(":VERBOSE1:setup_paths_unittest.cc("));
  EXPECT_EQ(std::string::npos, text.find("too verbose"));
}

}  // namespace
