// UninstallPlume and UninstallMiniDl against real registrations in the prefix and the
// companion stand-in, which records the command line it was started with.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "UninstallCustomAction/task/uninstall_mini_dl.h"
#include "UninstallCustomAction/task/uninstall_plume.h"
#include "base/at_exit.h"
#include "log_capture.h"
#include "test_helpers_win.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace {

const wchar_t kAppPaths[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Plume.exe";
const wchar_t kProgId[] = L"PelicanMiniDL.Downloader.1";
const wchar_t kClsid[] = L"{6B1C3F7A-2D4E-4F15-9A53-0C7E1B2D9F41}";
// Long enough for a started companion to have written its record.
const DWORD kStartWaitMs = 5000;
// How long a companion that must not start is given to show up anyway.
const DWORD kNoStartWaitMs = 1500;

std::string Joined(const LogCapture& log) {
  std::string joined;
  for (const std::string& message : log.Messages())
    joined += (joined.empty() ? "" : "|") + message;
  return joined;
}

bool CopyCompanion(const std::wstring& to) {
  return CopyFileW((tern_test::ExeDir() + L"\\companion_uninstaller.exe").c_str(), to.c_str(),
                   FALSE) != FALSE;
}

void DeleteKeyIn(HKEY root, const wchar_t* parent, const wchar_t* child, REGSAM view) {
  HKEY key;
  if (RegOpenKeyExW(root, parent, 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
    RegDeleteKeyW(key, child);
    RegCloseKey(key);
  }
}

struct PlumeCase {
  const char* name;
  REGSAM view;          // where the App Paths entry is written; ~0: none
  bool trailing_slash;  // PlumePath ends in a backslash
  bool uninstaller;     // uninst.exe is present
  bool started;
  const char* log;
};

class UninstallPlumeTest : public ::testing::TestWithParam<PlumeCase> {};

TEST_P(UninstallPlumeTest, StartsUninstallerFromAppPaths) {
  const PlumeCase& c = GetParam();
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir dir;
  std::wstring uninstaller = dir.Join(L"uninst.exe");
  if (c.uninstaller) {
    ASSERT_TRUE(CopyCompanion(uninstaller));
  }
  if (c.view != static_cast<REGSAM>(~0u)) {
    ASSERT_TRUE(finish_test::SetString(HKEY_LOCAL_MACHINE, kAppPaths, L"PlumePath",
                                       dir.path() + (c.trailing_slash ? L"\\" : L""), c.view));
  }
  LogCapture log;
  uninstall::UninstallPlume().Run(nullptr);
  std::wstring record = finish_test::WaitForUtf16File(uninstaller + L".started",
                                                      c.started ? kStartWaitMs : kNoStartWaitMs);
  DeleteKeyIn(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
              L"Plume.exe", KEY_WOW64_32KEY);
  DeleteKeyIn(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
              L"Plume.exe", KEY_WOW64_64KEY);
  if (c.started) {
    EXPECT_EQ(L"\"" + uninstaller + L"\" /S\n", record);
  } else {
    EXPECT_EQ(L"", record);
  }
  EXPECT_EQ(c.log, Joined(log));
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    UninstallPlumeTest,
    ::testing::Values(PlumeCase{"Registered", KEY_WOW64_32KEY, false, true, true, ""},
                      PlumeCase{"TrailingBackslash", KEY_WOW64_32KEY, true, true, true, ""},
                      PlumeCase{"UninstallerMissing", KEY_WOW64_32KEY, false, false, false,
                                "uninst.exe not exist."},
                      PlumeCase{"NoAppPathsEntry", static_cast<REGSAM>(~0u), false, true, false,
                                ""}),
    [](const ::testing::TestParamInfo<PlumeCase>& info) { return std::string(info.param.name); });

struct MiniDlCase {
  const char* name;
  bool registered;
  const wchar_t* value;  // "<exe>" is replaced by the companion's path
  bool started;
};

class UninstallMiniDlTest : public ::testing::TestWithParam<MiniDlCase> {};

TEST_P(UninstallMiniDlTest, StartsRegisteredLocalServer) {
  const MiniDlCase& c = GetParam();
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir dir;
  std::wstring exe = dir.Join(L"Mini DL") + L"\\minidl.exe";
  CreateDirectoryW(dir.Join(L"Mini DL").c_str(), nullptr);
  ASSERT_TRUE(CopyCompanion(exe));
  if (c.registered) {
    std::wstring value = c.value;
    value.replace(value.find(L"<exe>"), 5, exe);
    ASSERT_TRUE(finish_test::SetString(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID",
                                       nullptr, kClsid));
    ASSERT_TRUE(finish_test::SetString(HKEY_CLASSES_ROOT,
                                       std::wstring(L"CLSID\\") + kClsid + L"\\LocalServer32",
                                       nullptr, value, KEY_WOW64_32KEY));
  }
  LogCapture log;
  uninstall::UninstallMiniDl().Run(nullptr);
  std::wstring record =
      finish_test::WaitForUtf16File(exe + L".started", c.started ? kStartWaitMs : kNoStartWaitMs);
  DeleteKeyIn(HKEY_CLASSES_ROOT, kProgId, L"CLSID", 0);
  DeleteKeyIn(HKEY_CLASSES_ROOT, L"", kProgId, 0);
  DeleteKeyIn(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsid).c_str(), L"LocalServer32",
              KEY_WOW64_32KEY);
  DeleteKeyIn(HKEY_CLASSES_ROOT, L"CLSID", kClsid, KEY_WOW64_32KEY);
  if (c.started) {
    EXPECT_EQ(L"\"" + exe + L"\" /PrepareUninstall\n", record);
    EXPECT_EQ("", Joined(log));
  } else {
    EXPECT_EQ(L"", record);
    EXPECT_EQ("minidl.exe not exist.", Joined(log));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    UninstallMiniDlTest,
    ::testing::Values(MiniDlCase{"Quoted", true, L"\"<exe>\"", true},
                      MiniDlCase{"Unquoted", true, L"<exe>", true},
                      MiniDlCase{"ArgumentsAfterQuotedPath", true, L"\"<exe>\" /Automation", false},
                      MiniDlCase{"NotRegistered", false, L"", false}),
    [](const ::testing::TestParamInfo<MiniDlCase>& info) { return std::string(info.param.name); });

}  // namespace
