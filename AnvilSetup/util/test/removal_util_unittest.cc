// The removal primitives against real files: a locked file, trees, long paths and deletion at
// restart read back from the session manager's pending rename list.
#include <windows.h>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "log_capture.h"
#include "removal_test_support.h"
#include "tern_test/scoped_temp_dir.h"
#include "util/removal_util_win.h"

namespace {

using removal_test::Exists;
using removal_test::WriteText;

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

TEST(DeletePath, RemovesFilesAndOnlyEmptyFolders) {
  tern_test::ScopedTempDir dir;
  WriteText(dir.Join(L"a.txt"));
  WriteText(dir.Join(L"full\\b.txt"));
  removal_test::MakeDirs(dir.Join(L"empty"));
  EXPECT_TRUE(setup_util::DeletePath(dir.Join(L"a.txt")));
  EXPECT_TRUE(setup_util::DeletePath(dir.Join(L"empty")));
  EXPECT_FALSE(setup_util::DeletePath(dir.Join(L"full")));
  EXPECT_FALSE(Exists(dir.Join(L"a.txt")));
  EXPECT_FALSE(Exists(dir.Join(L"empty")));
  EXPECT_TRUE(Exists(dir.Join(L"full\\b.txt")));
}

TEST(DeletePath, LockedFileFailsWithBothLines) {
  tern_test::ScopedTempDir dir;
  std::wstring path = dir.Join(L"held.dll");
  WriteText(path);
  LogCapture log;
  {
    removal_test::LockedFile lock(path);
    ASSERT_TRUE(lock.locked());
    EXPECT_FALSE(setup_util::DeletePath(path));
  }
  std::vector<std::string> lines = log.Messages();
  std::string utf8 = removal_test::Utf8(path);
  EXPECT_TRUE(Contains(lines, "DeleteFile( " + utf8 + " ) failed with error : 32"));
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(0u, lines[1].find("SHFileOperation( " + utf8 + " ) failed with error : "));
}

TEST(DeletePath, RefusesPathsOf260CharactersOrMore) {
  tern_test::ScopedTempDir dir;
  std::wstring path = dir.path() + L"\\";
  path.append(259 - path.size(), L'a');  // 259: still allowed
  std::wstring too_long = path + L"b";   // 260
  ASSERT_TRUE(WriteText(path));
  EXPECT_TRUE(setup_util::DeletePath(path));
  EXPECT_FALSE(setup_util::DeletePath(too_long));
  EXPECT_FALSE(setup_util::DeleteAtRestart(too_long));
}

TEST(DeleteTree, RecursiveRemovesEverythingBelow) {
  tern_test::ScopedTempDir dir, sentinel;
  WriteText(dir.Join(L"tree\\a\\b\\c.txt"));
  WriteText(dir.Join(L"tree\\d.txt"));
  SetFileAttributesW(dir.Join(L"tree\\d.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteText(dir.Join(L"keep.txt"));
  EXPECT_FALSE(setup_util::DeleteTree(dir.Join(L"tree"), false));
  EXPECT_TRUE(Exists(dir.Join(L"tree\\a\\b\\c.txt")));
  EXPECT_TRUE(setup_util::DeleteTree(dir.Join(L"tree"), true));
  EXPECT_FALSE(Exists(dir.Join(L"tree")));
  EXPECT_TRUE(Exists(dir.Join(L"keep.txt")));
}

TEST(DeleteAtRestart, RegistersThePathWithAnEmptyDestination) {
  tern_test::ScopedTempDir dir;
  std::wstring first = dir.Join(L"one.dll"), second = dir.Join(L"two.dll");
  WriteText(first);
  WriteText(second);
  ASSERT_TRUE(setup_util::DeleteAtRestart(first));
  ASSERT_TRUE(setup_util::DeleteAtRestart(second));
  std::vector<std::wstring> pending = removal_test::PendingDeletes();
  removal_test::ForgetPendingUnder(dir.path());
  auto one = std::find(pending.begin(), pending.end(), first);
  auto two = std::find(pending.begin(), pending.end(), second);
  ASSERT_NE(pending.end(), one);
  ASSERT_NE(pending.end(), two);
  EXPECT_LT(one, two);  // in registration order
}

TEST(MakeMoveAsideName, NumbersInsideTheTemporaryFolder) {
  tern_test::ScopedTempDir install, temp;
  WriteText(install.Join(L"Bin\\core.dll"));
  WriteText(temp.Join(L"~core_1.dll"));
  WriteText(temp.Join(L"~core_2.dll"));
  bool is_directory = true;
  std::wstring name;
  ASSERT_TRUE(setup_util::MakeMoveAsideName(install.Join(L"Bin\\core.dll"), temp.path(),
                                            &is_directory, &name));
  EXPECT_EQ(temp.Join(L"~core_3.dll"), name);
  EXPECT_FALSE(is_directory);
  EXPECT_FALSE(setup_util::MakeMoveAsideName(install.Join(L"Bin\\gone.dll"), temp.path(),
                                             &is_directory, &name));
}

}  // namespace
