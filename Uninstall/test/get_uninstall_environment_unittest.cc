// GetUninstallEnvironment against real registry keys (HKLM redirected to a scratch key)
// and real folders; the outcome is read from the setup context and the log file.
#include <windows.h>

#include <map>
#include <string>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "base/scoped_handle_win.h"
#include "log_capture.h"
#include "setup/setup_context.h"
#include "task/get_uninstall_environment.h"
#include "tern_test/process.h"
#include "tern_test/registry_override.h"
#include "tern_test/scoped_temp_dir.h"

namespace {

struct Case {
  const char* name;
  bool key = true;
  const wchar_t* install = L"<dir>";  // null: value absent; "<dir>": the scratch install dir
  bool install_dir_exists = true;
  bool description = true;  // Uninstall.xml in the install dir
  bool backup = false;      // Uninstall.xml under SetupTempPath\Uninstall\<version>
  const wchar_t* version = L"9.1.2";
  const wchar_t* rversion = nullptr;
  int anvil = 1;  // -1: value absent
  // expected
  const char* need = "true";  // null: NeedUnistall unset
  const char* log = nullptr;  // every line logged, joined with '|'
  const char* report_version = "9.1.2";
};

std::string Get(const char* key) {
  std::string value = "<unset>";
  SetupContext::GetStringValue(key, &value);
  return value;
}

class GetUninstallEnvironmentTest : public ::testing::TestWithParam<Case> {};

TEST_P(GetUninstallEnvironmentTest, PublishesOrRefuses) {
  const Case& c = GetParam();
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedTempDir install_dir, temp_dir;
  std::wstring install_path = install_dir.Join(L"Tern");
  if (c.install_dir_exists)
    CreateDirectoryW(install_path.c_str(), nullptr);
  if (c.description)
    tern_test::WriteFileBytes(install_path + L"\\Uninstall.xml", "<Uninstall/>");
  if (c.backup) {
    std::wstring folder = temp_dir.Join(L"Uninstall");
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\" + std::wstring(c.version);
    CreateDirectoryW(folder.c_str(), nullptr);
    tern_test::WriteFileBytes(folder + L"\\Uninstall.xml", "<Uninstall/>");
  }
  SetupContext::SetWStringValue("SetupTempPath", temp_dir.path());

  tern_test::ScopedRegistryOverride hklm(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(hklm.ok());
  if (c.key) {
    base::ScopedHKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\Tern", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
    auto set_string = [&key](const wchar_t* name, const std::wstring& value) {
      RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    if (c.install)
      set_string(L"Install", std::wstring(c.install) == L"<dir>" ? install_path : c.install);
    if (c.version)
      set_string(L"version", c.version);
    if (c.rversion)
      set_string(L"rversion", c.rversion);
    if (c.anvil >= 0) {
      DWORD value = static_cast<DWORD>(c.anvil);
      RegSetValueExW(key.Get(), L"AnvilSetup2012", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }
  }

  LogCapture log;
  uninstall::GetUninstallEnvironment task;
  task.Run(nullptr);

  EXPECT_EQ(c.need ? c.need : "<unset>", Get("NeedUnistall"));
  std::string joined;
  for (const std::string& message : log.Messages())
    joined += (joined.empty() ? "" : "|") + message;
  EXPECT_EQ(c.log ? c.log : "", joined);
  if (c.need && std::string(c.need) == "true") {
    EXPECT_EQ("NewSetup", Get("PreviousInstallType"));
    std::wstring path;
    EXPECT_TRUE(SetupContext::GetWStringValue("PreviousInstallPath", &path));
    EXPECT_EQ(install_path, path);
  } else {
    EXPECT_EQ("<unset>", Get("PreviousInstallType"));
    EXPECT_EQ("<unset>", Get("PreviousInstallPath"));
  }
  if (c.report_version) {
    EXPECT_EQ("9.1.2", Get("PreviousVersion"));
    EXPECT_EQ(c.report_version, Get("UninstallReportVersion"));
  }
}

Case Make(const char* name) {
  Case c;
  c.name = name;
  return c;
}

// The task refuses: NeedUnistall "false", the one line, no versions published.
Case Refused(const char* name, const char* log) {
  Case c = Make(name);
  c.need = "false";
  c.log = log;
  c.report_version = nullptr;
  return c;
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  cases.push_back(Make("Installed"));
  {
    Case c = Make("ReportVersionFromRversionEvenWhenEmpty");
    c.rversion = L"";
    c.report_version = "";
    cases.push_back(c);
  }
  {
    Case c = Make("ReportVersionFromRversion");
    c.rversion = L"9.1.2.5000";
    c.report_version = "9.1.2.5000";
    cases.push_back(c);
  }
  {
    Case c = Refused("KeyMissing", "HKEY_LOCAL_MACHIN\\SOFTWARE\\Corvane\\Pelican2009 open fail");
    c.key = false;
    cases.push_back(c);
  }
  {
    Case c = Refused("InstallValueMissing",
                     "HKEY_LOCAL_MACHIN\\SOFTWARE\\Corvane\\Pelican2009\\Install read fail");
    c.install = nullptr;
    cases.push_back(c);
  }
  {
    Case c = Refused("InstallEmpty", "install path empty");
    c.install = L"";
    cases.push_back(c);
  }
  {
    Case c = Refused("InstallFolderMissing", "install path not exists");
    c.install_dir_exists = false;
    c.description = false;
    cases.push_back(c);
  }
  {
    Case c = Make("DescriptionMissingWithBackup");
    c.description = false;
    c.backup = true;
    c.log = "Uninstall.xml path not exists";
    cases.push_back(c);
  }
  {
    Case c = Refused("DescriptionMissingWithoutBackup",
                     "Uninstall.xml path not exists|Uninstall.xml backup path not exists");
    c.description = false;
    cases.push_back(c);
  }
  {
    Case c = Refused("DescriptionMissingAndVersionMissing", "Uninstall.xml path not exists");
    c.description = false;
    c.version = nullptr;
    cases.push_back(c);
  }
  {
    Case c = Refused("VersionMissing",
                     "HKEY_LOCAL_MACHIN\\SOFTWARE\\Corvane\\Pelican2009\\version read fail");
    c.version = nullptr;
    cases.push_back(c);
  }
  {
    Case c = Refused("VersionEmpty", "version empty");
    c.version = L"";
    cases.push_back(c);
  }
  {
    Case c = Make("OlderSetupLeavesNeedUnset");
    c.anvil = 0;
    c.need = nullptr;
    cases.push_back(c);
  }
  {
    Case c = Make("SetupFlagMissing");
    c.anvil = -1;
    c.need = "false";
    c.log = "HKEY_LOCAL_MACHIN\\SOFTWARE\\Corvane\\Pelican2009 read fail";
    cases.push_back(c);
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Registry,
                         GetUninstallEnvironmentTest,
                         ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
