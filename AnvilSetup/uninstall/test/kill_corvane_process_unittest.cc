// KillCorvaneProcess against real processes named as the maker's, inside and outside the
// installation directory and in a sibling folder that shares its name's beginning.
#include <windows.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "removal_test_support.h"
#include "setup/setup_context.h"
#include "tern_test/scoped_temp_dir.h"
#include "uninstall/kill_corvane_process.h"

namespace {

class KillCorvaneProcessTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(KillCorvaneProcessTest, EndsInstallCopiesAndProtectionProcessesAnywhere) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir root;
  const std::wstring install = root.Join(L"Tern");
  struct Expect {
    const wchar_t* path;
    bool ended;
  } programs[] = {
      {L"Tern\\Bin\\bugreport.exe", true},    {L"Other\\bugreport.exe", false},
      {L"Tern2\\bugreport.exe", false},       {L"Tern\\PelicanExternal.exe", true},
      {L"Other\\PelicanExternal.exe", false}, {L"Other\\warden.exe", true},
      {L"Tern2\\WardenUpd.exe", true},        {L"Tern\\Bin\\vantle.exe", true},
      {L"Tern2\\vantle.exe", false},
  };
  std::vector<std::unique_ptr<removal_test::RunningProgram>> running;
  for (const Expect& program : programs) {
    running.push_back(std::make_unique<removal_test::RunningProgram>(root.Join(program.path)));
    ASSERT_TRUE(running.back()->running()) << removal_test::Utf8(program.path);
  }
  SetupContext::SetWStringValue("PreviousInstallPath", install + GetParam());
  pre_install::KillCorvaneProcess().Run(nullptr);
  for (size_t i = 0; i < running.size(); ++i) {
    if (programs[i].ended) {
      EXPECT_TRUE(running[i]->Ended()) << removal_test::Utf8(programs[i].path);
    }
  }
  // Survivors are checked after every ended process is gone, so none is merely late.
  for (size_t i = 0; i < running.size(); ++i) {
    if (!programs[i].ended) {
      EXPECT_TRUE(running[i]->running()) << removal_test::Utf8(programs[i].path);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(InstallPath,
                         KillCorvaneProcessTest,
                         ::testing::Values(L"", L"\\"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                           return std::string(*info.param ? "TrailingBackslash" : "Plain");
                         });

TEST(KillCorvaneProcess, WithoutAnInstallPathOnlyProtectionProcessesEnd) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir root;
  removal_test::RunningProgram bugreport(root.Join(L"Tern\\bugreport.exe"));
  removal_test::RunningProgram warden(root.Join(L"Tern\\warden.exe"));
  ASSERT_TRUE(bugreport.running());
  ASSERT_TRUE(warden.running());
  pre_install::KillCorvaneProcess().Run(nullptr);
  EXPECT_TRUE(warden.Ended());
  EXPECT_TRUE(bugreport.running());
}

}  // namespace
