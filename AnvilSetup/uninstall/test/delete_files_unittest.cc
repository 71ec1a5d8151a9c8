// DeleteFiles on a realistic installation and Uninstall.xml: what is listed goes, what is not
// stays (a sentinel tree around the installation), locked and running files are parked or
// deleted at restart, registry keys go up to the first parent in use, the fixed leftovers and
// the firewall entries (through the stand-in firewall manager) are removed.
#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "base/scoped_handle_win.h"
#include "base/utf_string_conversions.h"
#include "log_capture.h"
#include "removal_test_support.h"
#include "setup/setup_context.h"
#include "tern_test/process.h"
#include "tern_test/registry_override.h"
#include "tern_test/scoped_temp_dir.h"
#include "uninstall/delete_files.h"
#include "util/removal_util_win.h"
#include "warden_fixture.h"
#include "util/file_util_win.h"

namespace {

using Lines = std::vector<std::string>;
using removal_test::Exists;
using removal_test::Utf8;
using removal_test::WriteText;

const wchar_t kTestKey[] = L"Software\\TernDeleteFilesTest";

bool Contains(const Lines& lines, const std::string& text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

std::wstring OwnExe() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

bool KeyExists(HKEY root, const std::wstring& subkey) {
  base::ScopedHKEY key;
  return RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::wstring& subkey, const wchar_t* name) {
  base::ScopedHKEY key;
  return RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS &&
         RegQueryValueExW(key.Get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void SetValue(HKEY root, const std::wstring& subkey, const wchar_t* name) {
  base::ScopedHKEY key;
  RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                  nullptr);
  const wchar_t kData[] = L"data";
  RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(kData), sizeof(kData));
}

// Removes the folder DeleteFiles parked files in, after the test's processes are gone.
struct ParkedFolderCleanup {
  ~ParkedFolderCleanup() {
    std::wstring folder;
    SetupContext::GetWStringValue("DeleteFileTempPath", &folder);
    if (!folder.empty()) {
      removal_test::ForgetPendingUnder(folder);
      tern_test::RemoveTree(folder);
    }
  }
};

std::string Xml(const std::wstring& text) {
  std::string utf8 = Utf8(text), escaped;
  for (char c : utf8)
    escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
  return escaped;
}

TEST(DeleteFiles, RemovesWhatTheDescriptionListsAndNothingElse) {
  base::ShadowingAtExitManager at_exit;
  ParkedFolderCleanup parked;
  tern_test::ScopedTempDir root, setup_temp;
  removal_test::SecondDrive drive;
  ASSERT_TRUE(drive.ok()) << drive.error();
  WardenFixture warden;
  warden.SetProducts({L"1060001", L"1000001"});

  const std::wstring install = root.Join(L"Tern");
  const std::vector<std::wstring> listed_files = {L"Bin\\Tern.exe", L"Bin\\core.dll", L"Res\\a.txt",
                                                  L"Res\\b.txt"};
  for (const std::wstring& name : listed_files) {
    WriteText(install + L"\\" + name);
    WriteText(root.Join(L"Tern2\\" + name));  // sentinel: a sibling with the same prefix
  }
  WriteText(install + L"\\Bin\\locked.dll");
  WriteText(install + L"\\Bin\\Plugins\\p.dat");  // a folder listed as a file
  removal_test::MakeDirs(install + L"\\EmptyDir");
  WriteText(install + L"\\FullDir\\keep.txt");
  WriteText(install + L"\\NotADir.txt");
  WriteText(install + L"\\unlisted.txt");
  WriteText(root.Join(L"outside.txt"));
  // A program on the second drive with two parked copies beside it already.
  WriteText(drive.root() + L"~far_1.exe");
  WriteText(drive.root() + L"~far_2.exe");
  removal_test::RunningProgram far_program(drive.root() + L"far.exe");
  removal_test::RunningProgram running(install + L"\\Run\\running.exe");
  ASSERT_TRUE(far_program.running());
  ASSERT_TRUE(running.running());
  removal_test::LockedFile locked(install + L"\\Bin\\locked.dll");
  ASSERT_TRUE(locked.locked());

  // Modules: an uninstaller that records its argument, and a warden.exe that must not start.
  CopyFileW((tern_test::ExeDir() + L"\\Warden.exe").c_str(),
            (install + L"\\Bin\\unins.exe").c_str(), FALSE);
  removal_test::MakeDirs(install + L"\\Bin\\Warden\\Bin");
  CopyFileW((tern_test::ExeDir() + L"\\Warden.exe").c_str(),
            (install + L"\\Bin\\Warden\\Bin\\warden.exe").c_str(), FALSE);

  // Registry: values to delete, empty parents to remove up to the first one in use.
  SHDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
  const std::wstring key_root = std::wstring(kTestKey) + L"\\Root";
  SetValue(HKEY_CURRENT_USER, key_root, L"keep");
  SetValue(HKEY_CURRENT_USER, key_root + L"\\Empty\\Leaf", L"v1");
  SetValue(HKEY_CURRENT_USER, key_root + L"\\Empty\\Leaf", nullptr);
  SetValue(HKEY_CURRENT_USER, key_root + L"\\Partial", nullptr);
  SetValue(HKEY_CURRENT_USER, key_root + L"\\Partial", L"other");
  const std::wstring run = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  SetValue(HKEY_CURRENT_USER, run, L"Tern");
  SetValue(HKEY_CURRENT_USER, run, L"TernDeleteFilesTestOther");

  // Fixed leftovers.
  const std::wstring roaming = setup_util::GetShellFolderPath(CSIDL_APPDATA);
  const std::wstring desktop_link =
      setup_util::GetShellFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Tern.lnk";
  const std::wstring quick_link =
      roaming + L"\\Microsoft\\Internet Explorer\\Quick Launch\\Tern.lnk";
  WriteText(desktop_link);
  WriteText(quick_link);
  for (const wchar_t* cache : {L"rdo.cache", L"loginrdo.cache", L"uirdo.cache", L"keep.cache"})
    WriteText(roaming + L"\\Corvane\\Tern\\" + cache);
  const std::vector<std::wstring> firewall_programs = {
      install + L"\\Bin\\Warden\\Bin\\Warden.exe", install + L"\\Warden\\Bin\\Warden.exe",
      install + L"\\Bin\\Tern.exe", install + L"\\Bin\\ksupd.exe",
      install + L"\\Bin\\TernPelican.exe"};
  std::vector<std::wstring> authorized = firewall_programs;
  authorized.push_back(L"C:\\Other\\other.exe");
  removal_test::ScopedFirewallStandIn firewall(authorized);
  ASSERT_TRUE(firewall.ok());

  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Uninstall>\n"
      "  <Version versionnum=\"1.0\"/>\n"
      "  <Regsvr>\n"
      "    <Moudle type=\"EXE\" path=\"$intallpath$\\Bin\\Warden\\Bin\\warden.exe\" "
      "uninstall_arg=\"/uninstall\"/>\n"
      "    <Moudle type=\"EXE\" path=\"$intallpath$\\Bin\\unins.exe\" uninstall_arg=\"/uninstall "
      "/quiet\"/>\n"
      "    <Moudle type=\"EXE\" path=\"$intallpath$\\Bin\\noarg.exe\"/>\n"
      "    <Moudle path=\"$intallpath$\\Bin\\notype.dll\"/>\n"
      "    <Moudle type=\"DLL\" path=\"$common$\\Corvane\\Shared\\gone.dll\"/>\n"
      "  </Regsvr>\n"
      "  <Registry>\n"
      "    <Key rootkey=\"HKCU\" subkey=\"" +
      Xml(key_root) +
      "\\Empty\\Leaf\">\n"
      "      <Value name=\"v1\"/><Value name=\"@\"/><Value/>\n"
      "    </Key>\n"
      "    <Comment note=\"any sibling after the first Key is read as a key\"/>\n"
      "    <Key rootkey=\"HKEY_CURRENT_USER\" subkey=\"" +
      Xml(key_root) +
      "\\Partial\">\n"
      "      <Value name=\"@\"/>\n"
      "    </Key>\n"
      "    <Key rootkey=\"HKCU\" subkey=\"" +
      Xml(key_root) +
      "\\Missing\"/>\n"
      "    <Key rootkey=\"HKCU\"/>\n"
      "  </Registry>\n"
      "  <Files>\n";
  for (const std::wstring& name : listed_files)
    xml += "    <File path=\"" + Xml(install + L"\\" + name) + "\"/>\n";
  xml += "    <File path=\"" + Xml(install + L"\\Bin\\locked.dll") +
         "\"/>\n"
         "    <File path=\"" +
         Xml(install + L"\\Run\\running.exe") +
         "\"/>\n"
         "    <File path=\"" +
         Xml(drive.root() + L"far.exe") +
         "\"/>\n"
         "    <File path=\"" +
         Xml(install + L"\\Bin\\Plugins") +
         "\"/>\n"
         "    <File path=\"" +
         Xml(install + L"\\Bin\\never-there.dll") +
         "\"/>\n"
         "    <File path=\"" +
         Xml(OwnExe()) +
         "\"/>\n"
         "    <File/>\n"
         "    <Dir path=\"" +
         Xml(install + L"\\EmptyDir") +
         "\"/>\n"
         "    <Dir path=\"" +
         Xml(install + L"\\FullDir") +
         "\"/>\n"
         "    <Dir path=\"" +
         Xml(install + L"\\NotADir.txt") +
         "\"/>\n"
         "  </Files>\n</Uninstall>\n";
  ASSERT_TRUE(WriteText(install + L"\\Uninstall.xml", xml));

  SetupContext::SetStringValue("PreviousInstallType", "NewSetup");
  SetupContext::SetWStringValue("PreviousInstallPath", install + L"\\");
  SetupContext::SetWStringValue("SetupTempPath", setup_temp.path());
  SetupContext::SetStringValue("UninstallFrom", "SetupExe");
  LogCapture log;
  uninstall::DeleteFiles().Run(nullptr);
  Lines lines = log.Messages();

  // The parked folder: a fresh name on the installation's volume, published for later tasks.
  std::wstring parked_folder;
  SetupContext::GetWStringValue("DeleteFileTempPath", &parked_folder);
  ASSERT_FALSE(parked_folder.empty());
  EXPECT_NE(std::wstring::npos, parked_folder.find(L"\\pelican_setup_"));
  EXPECT_TRUE(setup_util::IsDirectory(parked_folder));

  // Files and directories.
  for (const std::wstring& name : listed_files) {
    EXPECT_FALSE(Exists(install + L"\\" + name)) << Utf8(name);
    EXPECT_TRUE(Exists(root.Join(L"Tern2\\" + name))) << Utf8(name);
  }
  EXPECT_FALSE(Exists(install + L"\\Uninstall.xml"));
  EXPECT_FALSE(Exists(install + L"\\EmptyDir"));
  EXPECT_TRUE(Exists(install + L"\\FullDir\\keep.txt"));
  EXPECT_TRUE(Exists(install + L"\\unlisted.txt"));
  EXPECT_TRUE(Exists(root.Join(L"outside.txt")));
  EXPECT_TRUE(Exists(OwnExe()));
  EXPECT_TRUE(Contains(lines, "delete uninstall.exe, continue."));
  EXPECT_TRUE(Contains(lines, "path_name == NULL"));
  // A folder listed as a file and a file listed as a folder are parked, not deleted.
  EXPECT_TRUE(Contains(lines, "exist dir to delete a file : " + Utf8(install + L"\\Bin\\Plugins")));
  EXPECT_TRUE(Exists(parked_folder + L"\\~Plugins_1\\p.dat"));
  EXPECT_TRUE(Contains(lines, "exist file to delete a dir : " + Utf8(install + L"\\NotADir.txt")));
  EXPECT_TRUE(Exists(parked_folder + L"\\~NotADir_1.txt"));

  // A locked file cannot even be renamed: it is deleted at restart where it is. A running
  // program is parked and its parked copy deleted at restart; on another drive it is parked
  // beside itself, after the numbers already taken.
  const std::wstring locked_path = install + L"\\Bin\\locked.dll";
  const std::wstring parked_running = parked_folder + L"\\~running_1.exe";
  const std::wstring parked_far = drive.root() + L"~far_3.exe";
  EXPECT_TRUE(Contains(lines, "rename " + Utf8(locked_path) + " to " +
                                  Utf8(parked_folder + L"\\~locked_1.dll") + " failed."));
  EXPECT_TRUE(Contains(lines, "delete file:" + Utf8(locked_path) + " failed."));
  EXPECT_TRUE(Contains(lines, "delete file:" + Utf8(parked_running) + " failed."));
  EXPECT_TRUE(Contains(lines, "delete file:" + Utf8(parked_far) + " failed."));
  EXPECT_FALSE(Exists(install + L"\\Run\\running.exe"));
  EXPECT_TRUE(Exists(parked_running));
  EXPECT_TRUE(Exists(parked_far));
  std::vector<std::wstring> pending = removal_test::PendingDeletes();
  removal_test::ForgetPendingUnder(drive.root());
  removal_test::ForgetPendingUnder(root.path());
  for (const std::wstring& path : {locked_path, parked_running, parked_far}) {
    EXPECT_NE(pending.end(), std::find(pending.begin(), pending.end(), path)) << Utf8(path);
  }

  // Modules: the uninstaller got its argument; warden.exe, listed first, never ran.
  // The parked programs started before the task record empty switches: leave them out.
  std::vector<std::string> calls;
  for (int i = 0; i < 200 && calls.empty(); ++i) {
    for (const std::string& call : warden.Calls()) {
      if (!call.empty())
        calls.push_back(call);
    }
    if (calls.empty())
      Sleep(25);
  }
  EXPECT_EQ(Lines{"/uninstall /quiet"}, calls);
  EXPECT_TRUE(Contains(lines, "arg == NULL"));
  EXPECT_TRUE(Contains(lines, "type == NULL"));

  // Registry.
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key_root + L"\\Empty"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key_root, L"keep"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key_root + L"\\Partial", nullptr));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key_root + L"\\Partial", L"other"));
  EXPECT_TRUE(Contains(lines, "name == NULL"));
  EXPECT_TRUE(Contains(lines, "root_key == NULL"));
  EXPECT_TRUE(Contains(lines, "sub_key == NULL"));
  EXPECT_TRUE(Contains(lines, "open key:HKCU\\" + Utf8(key_root) + "\\Missingfailed"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, run, L"Tern"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, run, L"TernDeleteFilesTestOther"));

  // Fixed leftovers, the product registration and the firewall.
  EXPECT_FALSE(Exists(desktop_link));
  EXPECT_FALSE(Exists(quick_link));
  for (const wchar_t* cache : {L"rdo.cache", L"loginrdo.cache", L"uirdo.cache"})
    EXPECT_FALSE(Exists(roaming + L"\\Corvane\\Tern\\" + cache));
  EXPECT_TRUE(Exists(roaming + L"\\Corvane\\Tern\\keep.cache"));
  EXPECT_EQ(std::vector<std::wstring>{L"1000001"}, warden.Products());
  EXPECT_TRUE(Contains(lines, "After DeleteFiles::Run(): product info: count=1"));
  Lines removed;
  for (const std::wstring& path : firewall_programs)
    removed.push_back(Utf8(path));
  EXPECT_EQ(removed, firewall.Removals());
  EXPECT_EQ(Lines{"C:\\Other\\other.exe"}, firewall.Authorized());

  // Clean-up of what lies outside the scratch folders.
  SHDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
  base::ScopedHKEY run_key;
  RegOpenKeyExW(HKEY_CURRENT_USER, run.c_str(), 0, KEY_SET_VALUE, run_key.Receive());
  RegDeleteValueW(run_key.Get(), L"TernDeleteFilesTestOther");
  DeleteFileW((roaming + L"\\Corvane\\Tern\\keep.cache").c_str());
}

struct DescriptionCase {
  const char* name;
  const char* xml;
  const char* line;   // logged; a trailing '*' compares the beginning only
  bool task_goes_on;  // the listed file is removed and the description deleted
};

class DeleteFilesDescriptionTest : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(DeleteFilesDescriptionTest, ReadsOrRefusesTheDescription) {
  const DescriptionCase& c = GetParam();
  base::ShadowingAtExitManager at_exit;
  ParkedFolderCleanup parked;
  tern_test::ScopedTempDir root;
  const std::wstring install = root.Join(L"Tern");
  WriteText(install + L"\\a.txt");
  std::string xml = c.xml;
  size_t marker = xml.find("FILE");
  if (marker != std::string::npos)
    xml.replace(marker, 4, Xml(install + L"\\a.txt"));
  WriteText(install + L"\\Uninstall.xml", xml);
  SetupContext::SetStringValue("PreviousInstallType", "NewSetup");
  SetupContext::SetWStringValue("PreviousInstallPath", install);
  LogCapture log;
  uninstall::DeleteFiles().Run(nullptr);
  Lines lines = log.Messages();
  std::string line = c.line;
  bool prefix = !line.empty() && line.back() == '*';
  if (prefix)
    line.pop_back();
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& logged) {
    return prefix ? logged.compare(0, line.size(), line) == 0 : logged == line;
  })) << line;
  EXPECT_EQ(c.task_goes_on, !Exists(install + L"\\a.txt"));
  EXPECT_EQ(c.task_goes_on, !Exists(install + L"\\Uninstall.xml"));
}

INSTANTIATE_TEST_SUITE_P(
    Documents,
    DeleteFilesDescriptionTest,
    ::testing::Values(
        DescriptionCase{"Malformed", "<Uninstall><Version versionnum=\"1.0\"", "ErrorID = *",
                        false},
        DescriptionCase{"NoRoot", "<Uninstal><Version versionnum=\"1.0\"/></Uninstal>",
                        "uninstall_root == NULL", false},
        DescriptionCase{"NoVersion", "<Uninstall><Files><File path=\"FILE\"/></Files></Uninstall>",
                        "version_num_value == NULL", false},
        DescriptionCase{"NoVersionNumber",
                        "<Uninstall><Version/><Files><File path=\"FILE\"/></Files></Uninstall>",
                        "version_num_value == NULL", false},
        DescriptionCase{"OtherVersion",
                        "<Uninstall><Version versionnum=\"2.1\"/><Files><File "
                        "path=\"FILE\"/></Files></Uninstall>",
                        "version num = 2.1", true},
        DescriptionCase{"InvalidVersion",
                        "<Uninstall><Version versionnum=\"1.0.3\"/><Files><File "
                        "path=\"FILE\"/></Files></Uninstall>",
                        "version num invalid", true}),
    [](const ::testing::TestParamInfo<DescriptionCase>& info) {
      return std::string(info.param.name);
    });

TEST(DeleteFiles, BackupDescriptionIsUsedAndKept) {
  base::ShadowingAtExitManager at_exit;
  ParkedFolderCleanup parked;
  tern_test::ScopedRegistryOverride hklm(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(hklm.ok());
  tern_test::ScopedTempDir root, setup_temp;
  const std::wstring install = root.Join(L"Tern");
  WriteText(install + L"\\a.txt");
  SetValue(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Tern", L"version");  // "data"
  const std::wstring backup = setup_temp.Join(L"Uninstall\\data\\Uninstall.xml");
  WriteText(backup, "<Uninstall><Version versionnum=\"1.0\"/><Files><File path=\"" +
                        Xml(install + L"\\a.txt") + "\"/></Files></Uninstall>");
  SetupContext::SetStringValue("PreviousInstallType", "NewSetup");
  SetupContext::SetWStringValue("PreviousInstallPath", install);
  SetupContext::SetWStringValue("SetupTempPath", setup_temp.path() + L"\\");
  uninstall::DeleteFiles().Run(nullptr);
  EXPECT_FALSE(Exists(install + L"\\a.txt"));
  EXPECT_TRUE(Exists(backup));
}

TEST(DeleteFiles, OtherInstallTypeOnlyUnregistersTheProduct) {
  base::ShadowingAtExitManager at_exit;
  WardenFixture warden;
  warden.SetProducts({L"1060001"});
  tern_test::ScopedTempDir root;
  const std::wstring install = root.Join(L"Tern");
  WriteText(install + L"\\a.txt");
  WriteText(install + L"\\Uninstall.xml",
            "<Uninstall><Version versionnum=\"1.0\"/><Files><File path=\"" +
                Xml(install + L"\\a.txt") + "\"/></Files></Uninstall>");
  SetupContext::SetStringValue("PreviousInstallType", "OldSetup");
  SetupContext::SetWStringValue("PreviousInstallPath", install);
  LogCapture log;
  uninstall::DeleteFiles().Run(nullptr);
  EXPECT_TRUE(Exists(install + L"\\a.txt"));
  EXPECT_TRUE(warden.Products().empty());
  EXPECT_TRUE(Contains(log.Messages(), "After DeleteFiles::Run(): product info: count=0"));
}

}  // namespace
