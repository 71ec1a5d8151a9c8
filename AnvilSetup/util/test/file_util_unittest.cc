// Numbered backup names, free temporary folder names and ReplaceAll against real folders,
// with a second drive letter mapped in the prefix.
#include <windows.h>

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "removal_test_support.h"
#include "tern_test/scoped_temp_dir.h"
#include "util/file_util_win.h"

namespace {

using removal_test::WriteText;

struct BackupCase {
  const char* name;
  const wchar_t* source;            // relative to the scratch folder; ends in '\' for a folder
  std::set<unsigned> taken;         // backups already present
  bool prefer_scratch_sub = false;  // preferred folder "park" on the same drive
  const wchar_t* expected;          // relative to the scratch folder; null: failure
};

class MakeNumberedBackupPathTest : public ::testing::TestWithParam<BackupCase> {};

TEST_P(MakeNumberedBackupPathTest, FindsTheDocumentedName) {
  const BackupCase& c = GetParam();
  tern_test::ScopedTempDir dir;
  std::wstring source = dir.Join(c.source);
  bool folder = source.back() == L'\\';
  if (folder) {
    source.pop_back();
    removal_test::MakeDirs(source + L"\\inner");
  } else {
    WriteText(source);
  }
  std::wstring stem = folder ? L"data" : L"core", suffix = folder ? L"" : L".dll";
  for (unsigned n : c.taken)
    WriteText(dir.Join(L"app\\~" + stem + L"_" + std::to_wstring(n) + suffix));
  std::wstring preferred;
  if (c.prefer_scratch_sub) {
    preferred = dir.Join(L"park");
    removal_test::MakeDirs(preferred);
  }
  bool is_directory = !folder;
  std::wstring result;
  bool found = setup_util::MakeNumberedBackupPath(source, preferred, &is_directory, &result);
  if (!c.expected) {
    EXPECT_FALSE(found);
    return;
  }
  ASSERT_TRUE(found);
  EXPECT_EQ(folder, is_directory);
  EXPECT_EQ(dir.Join(c.expected), result);
}

// The probes of a search where every probed number is taken: it ends on 2^30, taken too.
std::set<unsigned> EveryProbeTaken() {
  std::set<unsigned> taken;
  unsigned low = 1, high = 1u << 30;
  while (low != high) {
    unsigned mid = low + (high - low) / 2;
    taken.insert(mid);
    low = mid + 1;
  }
  taken.insert(high);
  return taken;
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    MakeNumberedBackupPathTest,
    ::testing::Values(
        BackupCase{"FirstBackup", L"app\\core.dll", {}, false, L"app\\~core_1.dll"},
        BackupCase{"OneToFiveTaken", L"app\\core.dll", {1, 2, 3, 4, 5}, false, L"app\\~core_6.dll"},
        BackupCase{"FolderHasNoSuffix", L"app\\data\\", {}, false, L"app\\~data_1"},
        BackupCase{"FolderAfterTwo", L"app\\data\\", {1, 2}, false, L"app\\~data_3"},
        BackupCase{"PreferredSameDrive", L"app\\core.dll", {1}, true, L"park\\~core_1.dll"},
        // Gaps: the run from 1 is assumed unbroken, so free lower numbers can be skipped...
        BackupCase{"GapSkipsFreeOne", L"app\\core.dll", {2}, false, L"app\\~core_3.dll"},
        BackupCase{"GapSkipsFreeThree", L"app\\core.dll", {1, 2, 4}, false, L"app\\~core_5.dll"},
        // ...or the search ends on a taken number and fails although 1 is free.
        BackupCase{"EndsOnTakenNumber", L"app\\core.dll", EveryProbeTaken(), false, nullptr}),
    [](const ::testing::TestParamInfo<BackupCase>& info) { return std::string(info.param.name); });

TEST(MakeNumberedBackupPath, MissingSourceFails) {
  tern_test::ScopedTempDir dir;
  bool is_directory = false;
  std::wstring result = L"untouched";
  EXPECT_FALSE(
      setup_util::MakeNumberedBackupPath(dir.Join(L"none.dll"), L"", &is_directory, &result));
  EXPECT_EQ(L"untouched", result);
}

TEST(MakeNumberedBackupPath, PreferredFolderOnAnotherDriveIsIgnored) {
  removal_test::SecondDrive drive;
  ASSERT_TRUE(drive.ok()) << drive.error();
  tern_test::ScopedTempDir dir;
  std::wstring source = dir.Join(L"core.dll");
  WriteText(source);
  bool is_directory = true;
  std::wstring result;
  ASSERT_TRUE(
      setup_util::MakeNumberedBackupPath(source, drive.root() + L"park", &is_directory, &result));
  EXPECT_FALSE(is_directory);
  EXPECT_EQ(dir.Join(L"~core_1.dll"), result);

  // And the other way round: a source on the second drive keeps its own folder.
  std::wstring other = drive.root() + L"core.dll";
  WriteText(other);
  ASSERT_TRUE(setup_util::MakeNumberedBackupPath(other, dir.path(), &is_directory, &result));
  EXPECT_EQ(drive.root() + L"~core_1.dll", result);
}

TEST(MakeFreeTempFolderPath, SameVolumeUsesTheTemporaryFolder) {
  tern_test::ScopedTempDir dir;
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring folder;
  ASSERT_TRUE(setup_util::MakeFreeTempFolderPath(dir.path(), &folder));
  EXPECT_EQ(0u, folder.find(std::wstring(temp) + L"pelican_setup_")) << removal_test::Utf8(folder);
  unsigned long number = wcstoul(folder.substr(folder.rfind(L'_') + 1).c_str(), nullptr, 10);
  EXPECT_LT(number, 32767u);
  EXPECT_FALSE(removal_test::Exists(folder));
}

TEST(MakeFreeTempFolderPath, OtherVolumeUsesTheReferencePath) {
  removal_test::SecondDrive drive;
  ASSERT_TRUE(drive.ok()) << drive.error();
  std::wstring reference = drive.root() + L"Tern";
  removal_test::MakeDirs(reference);
  std::wstring folder;
  ASSERT_TRUE(setup_util::MakeFreeTempFolderPath(reference, &folder));
  EXPECT_EQ(0u, folder.find(reference + L"\\pelican_setup_")) << removal_test::Utf8(folder);
}

TEST(MakeFreeTempFolderPath, PathWithoutRootFails) {
  std::wstring folder;
  EXPECT_FALSE(setup_util::MakeFreeTempFolderPath(L"relative\\Tern", &folder));
}

TEST(ReplaceAll, ResumesAfterTheInsertedReplacement) {
  struct Case {
    const wchar_t* text;
    const wchar_t* pattern;
    const wchar_t* replacement;
    const wchar_t* expected;
    int count;
  } cases[] = {
      {L"$intallpath$\\Bin\\a.dll", L"$intallpath$", L"C:\\Tern", L"C:\\Tern\\Bin\\a.dll", 1},
      {L"aa", L"a", L"aa", L"aaaa", 2},
      {L"x-y-z", L"-", L"--", L"x--y--z", 2},
      {L"abc", L"d", L"e", L"abc", 0},
      {L"abc", L"", L"e", L"abc", 0},
      {L"$common$$common$", L"$common$", L"", L"", 2},
  };
  for (const Case& c : cases) {
    std::wstring text = c.text;
    EXPECT_EQ(c.count, setup_util::ReplaceAll(&text, c.pattern, c.replacement))
        << removal_test::Utf8(c.text);
    EXPECT_EQ(c.expected, text);
  }
}

}  // namespace
