// The maker filter against real running peers whose version resources differ.
#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "task/check_pelican_running.h"
#include "task/maker_process_filter.h"
#include "tern_test/process.h"
#include "util/process_util_win.h"

namespace {

std::wstring Peer(const wchar_t* variant, const wchar_t* image) {
  return tern_test::ExeDir() + L"\\peers\\" + variant + L"\\" + image;
}

bool Contains(const std::vector<DWORD>& pids, DWORD pid) {
  return std::find(pids.begin(), pids.end(), pid) != pids.end();
}

TEST(MakerProcessFilterTest, VersionStringsDecide) {
  struct Case {
    const wchar_t* variant;
    const wchar_t* image;
    bool counts;
  } cases[] = {{L"corvane", L"Tern.exe", true},
               {L"corvane_app", L"TernApp.exe", true},
               {L"other_company", L"Tern.exe", false},
               {L"sibling", L"Tern.exe", false}};
  for (const Case& c : cases) {
    tern_test::ScopedProcess peer;
    ASSERT_TRUE(peer.Start(Peer(c.variant, c.image), L"")) << c.variant;
    EXPECT_EQ(c.counts, Contains(uninstall::FindMakerProcesses(c.image), peer.pid())) << c.variant;
    // The image name is compared without regard to case.
    std::wstring upper = c.image;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
    EXPECT_EQ(c.counts, Contains(uninstall::FindMakerProcesses(upper), peer.pid())) << c.variant;
  }
}

TEST(MakerProcessFilterTest, RuleOnVersionStrings) {
  EXPECT_TRUE(uninstall::IsMakerClient(true, L"corVANE", true, L"Tern"));
  EXPECT_TRUE(uninstall::IsMakerClient(true, L"Corvane", true, L""));
  EXPECT_FALSE(uninstall::IsMakerClient(true, L"Corvane", false, L""));
  EXPECT_FALSE(uninstall::IsMakerClient(false, L"", true, L"Tern"));
  EXPECT_FALSE(uninstall::IsMakerClient(true, L"Corvane Ltd", true, L"Tern"));
  for (const wchar_t* sibling : {L"企业Pelican", L"营销Pelican", L"CorvanePelican"})
    EXPECT_FALSE(uninstall::IsMakerClient(true, L"Corvane", true, sibling));
  // Sibling names are compared exactly: another case is not a sibling edition.
  EXPECT_TRUE(uninstall::IsMakerClient(true, L"Corvane", true, L"corvanepelican"));
}

TEST(MakerProcessFilterTest, KillEndsEveryProcessOfThatModuleName) {
  tern_test::ScopedProcess first, second, bystander;
  ASSERT_TRUE(first.Start(Peer(L"warden", L"warden.exe"), L""));
  ASSERT_TRUE(second.Start(Peer(L"warden", L"warden.exe"), L""));
  ASSERT_TRUE(bystander.Start(Peer(L"corvane", L"Tern.exe"), L""));
  EXPECT_TRUE(setup_util::KillProcessesByModuleName(L"WARDEN.exe"));
  DWORD code = 1;
  EXPECT_TRUE(first.Wait(10000, &code));
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(second.Wait(10000, &code));
  EXPECT_EQ(0u, code);
  EXPECT_FALSE(bystander.Wait(0, &code));
}

TEST(MakerProcessFilterTest, ProductTextIsExpanded) {
  EXPECT_EQ(L"Tern正在运行", uninstall::ExpandProductText(L"[ProductName]正在运行"));
  EXPECT_EQ(L"a\nTern b Tern", uninstall::ExpandProductText(L"a\\n[ProductName] b [ProductName]"));
}

}  // namespace
