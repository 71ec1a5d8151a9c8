// Directory-scoped process ending: the containment rule as a table, and real processes.
#include <windows.h>

#include <gtest/gtest.h>

#include "removal_test_support.h"
#include "tern_test/scoped_temp_dir.h"
#include "util/process_scope_win.h"

namespace {

TEST(IsPathInsideDirectory, MatchesOnlyTheFolderItself) {
  struct Case {
    const wchar_t* path;
    const wchar_t* directory;
    bool inside;
  } cases[] = {
      {L"C:\\Tern\\Bin\\bugreport.exe", L"C:\\Tern", true},
      {L"C:\\Tern\\Bin\\bugreport.exe", L"C:\\Tern\\", true},
      {L"c:\\tern\\bugreport.exe", L"C:\\TERN", true},
      {L"C:\\Tern2\\bugreport.exe", L"C:\\Tern", false},
      {L"C:\\Tern.old\\bugreport.exe", L"C:\\Tern\\", false},
      {L"C:\\Tern", L"C:\\Tern", false},
      {L"C:\\Other\\bugreport.exe", L"C:\\Tern", false},
      {L"C:\\Tern\\x\\..\\..\\Other\\a.exe", L"C:\\Tern", false},
      {L"C:\\Tern\\bugreport.exe", L"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.inside, setup_util::IsPathInsideDirectory(c.path, c.directory))
        << removal_test::Utf8(c.path) << " in " << removal_test::Utf8(c.directory);
  }
}

TEST(KillProcessesInDirectory, EndsOnlyCopiesInsideTheDirectory) {
  tern_test::ScopedTempDir root;
  std::wstring install = root.Join(L"Tern");
  removal_test::RunningProgram inside(install + L"\\Bin\\vantle.exe");
  removal_test::RunningProgram sibling(root.Join(L"Tern2\\vantle.exe"));
  removal_test::RunningProgram other_name(install + L"\\Bin\\keep.exe");
  ASSERT_TRUE(inside.running());
  ASSERT_TRUE(sibling.running());
  ASSERT_TRUE(other_name.running());
  EXPECT_TRUE(setup_util::KillProcessesInDirectory(install + L"\\", L"VANTLE.EXE"));
  EXPECT_TRUE(inside.Ended());
  EXPECT_TRUE(sibling.running());
  EXPECT_TRUE(other_name.running());
  EXPECT_FALSE(setup_util::KillProcessesInDirectory(install, L"vantle.exe"));
}

}  // namespace
