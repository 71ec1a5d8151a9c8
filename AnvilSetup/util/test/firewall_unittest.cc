// RemoveFirewallAuthorization through real COM activation of the stand-in firewall manager.
#include <windows.h>

#include <gtest/gtest.h>

#include "removal_test_support.h"
#include "util/file_util_win.h"

namespace {

TEST(RemoveFirewallAuthorization, RemovesTheProgramFromTheCurrentProfile) {
  removal_test::ScopedFirewallStandIn firewall({L"C:\\Tern\\Bin\\Tern.exe", L"C:\\Other\\o.exe"});
  ASSERT_TRUE(firewall.ok());
  setup_util::RemoveFirewallAuthorization(L"C:\\Tern\\Bin\\Tern.exe", L"Tern");
  // Missing arguments do nothing at all.
  setup_util::RemoveFirewallAuthorization(L"", L"Tern");
  setup_util::RemoveFirewallAuthorization(L"C:\\Other\\o.exe", L"");
  EXPECT_EQ(std::vector<std::string>{"C:\\Tern\\Bin\\Tern.exe"}, firewall.Removals());
  EXPECT_EQ(std::vector<std::string>{"C:\\Other\\o.exe"}, firewall.Authorized());
}

TEST(RemoveFirewallAuthorization, WorksOnAThreadWithAnotherApartment) {
  removal_test::ScopedFirewallStandIn firewall({});
  ASSERT_TRUE(firewall.ok());
  ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  setup_util::RemoveFirewallAuthorization(L"C:\\Tern\\Bin\\ksupd.exe", L"Tern");
  CoUninitialize();
  EXPECT_EQ(std::vector<std::string>{"C:\\Tern\\Bin\\ksupd.exe"}, firewall.Removals());
}

}  // namespace
