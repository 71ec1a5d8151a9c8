// TaskbarUnpinShortLink and FixTaskbar against real shortcuts, real pinned folders of the
// prefix's user, the pin list stand-in registered under the pin list's class id, and the
// MuiCache keys (HKCU redirected to a scratch key where the task runs in this process).
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "log_capture.h"
#include "setup/setup_context.h"
#include "test_helpers_win.h"
#include "tern_test/process.h"
#include "tern_test/registry_override.h"
#include "tern_test/scoped_temp_dir.h"
#include "uninstall/shell/fix_taskbar.h"
#include "uninstall/shell/taskbar_unpin_short_link.h"
#include "util/file_util_win.h"

namespace {

const wchar_t kMuiCache7[] =
    L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
const wchar_t kMuiCacheXp[] = L"Software\\Microsoft\\Windows\\ShellNoRoam\\MuiCache";

// An installed client, a sibling folder and another program, with shortcuts pinned to the
// taskbar and the start menu and the program-menu shortcut; all removed afterwards.
class PinnedShortcuts {
 public:
  PinnedShortcuts() {
    install_ = root_.Join(L"Tern");
    Make(install_);
    Make(install_ + L"\\Bin");
    Make(root_.Join(L"Tern2"));
    Make(root_.Join(L"Other"));
    for (const std::wstring& file : {install_ + L"\\Bin\\Tern.exe", root_.Join(L"Tern2\\Tern.exe"),
                                     root_.Join(L"Other\\Tern.exe")})
      tern_test::WriteFileBytes(file, "MZ");
    std::wstring pinned = setup_util::GetShellFolderPath(CSIDL_APPDATA) +
                          L"\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned";
    taskbar_ = pinned + L"\\TaskBar";
    start_menu_ = pinned + L"\\StartMenu";
    SHCreateDirectoryExW(nullptr, taskbar_.c_str(), nullptr);
    SHCreateDirectoryExW(nullptr, start_menu_.c_str(), nullptr);
    menu_folder_ = setup_util::GetShellFolderPath(CSIDL_COMMON_PROGRAMS) + L"\\Corvane\x8F6F\x4EF6";
    SHCreateDirectoryExW(nullptr, (menu_folder_ + L"\\Tern").c_str(), nullptr);
    ok_ = Link(taskbar_ + L"\\Tern.lnk", install_ + L"\\Bin\\Tern.exe") &&
          Link(taskbar_ + L"\\Tern2.lnk", root_.Join(L"Tern2\\Tern.exe")) &&
          Link(taskbar_ + L"\\Tern (other).lnk", root_.Join(L"Other\\Tern.exe")) &&
          Link(start_menu_ + L"\\Tern.lnk", install_ + L"\\Bin\\Tern.exe") &&
          Link(menu_folder_ + L"\\Tern\\Tern.lnk", root_.Join(L"Other\\Tern.exe"));
  }
  ~PinnedShortcuts() {
    for (const std::wstring& link : links_)
      DeleteFileW(link.c_str());
    RemoveDirectoryW((menu_folder_ + L"\\Tern").c_str());
    RemoveDirectoryW(menu_folder_.c_str());
  }
  bool ok() const { return ok_; }
  const std::wstring& install() const { return install_; }
  std::wstring taskbar(const wchar_t* name) const { return taskbar_ + L"\\" + name; }
  std::wstring start_menu(const wchar_t* name) const { return start_menu_ + L"\\" + name; }
  std::wstring menu_shortcut() const { return menu_folder_ + L"\\Tern\\Tern.lnk"; }

 private:
  static void Make(const std::wstring& dir) { CreateDirectoryW(dir.c_str(), nullptr); }
  bool Link(const std::wstring& link, const std::wstring& target) {
    links_.push_back(link);
    return finish_test::MakeShortcut(link, target);
  }
  tern_test::ScopedTempDir root_;
  std::wstring install_, taskbar_, start_menu_, menu_folder_;
  std::vector<std::wstring> links_;
  bool ok_ = false;
};

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
};

TEST(TaskbarUnpinShortLinkTest, UnpinsOnlyShortcutsIntoTheInstallation) {
  base::ShadowingAtExitManager at_exit;
  ComApartment com;
  finish_test::ScopedPinList pin_list;
  ASSERT_TRUE(pin_list.ok());
  PinnedShortcuts shortcuts;
  ASSERT_TRUE(shortcuts.ok());
  SetupContext::SetWStringValue("PreviousInstallPath", shortcuts.install());

  uninstall::TaskbarUnpinShortLink().Run(nullptr);

  // The program-menu shortcut goes first, whatever its target; then the pinned folders.
  std::vector<std::wstring> expected = {shortcuts.menu_shortcut(), shortcuts.taskbar(L"Tern.lnk"),
                                        shortcuts.start_menu(L"Tern.lnk")};
  EXPECT_EQ(expected, pin_list.Removed());
}

TEST(TaskbarUnpinShortLinkTest, NoInstallationKnownUnpinsOnlyTheMenuShortcut) {
  base::ShadowingAtExitManager at_exit;
  ComApartment com;
  finish_test::ScopedPinList pin_list;
  ASSERT_TRUE(pin_list.ok());
  PinnedShortcuts shortcuts;
  ASSERT_TRUE(shortcuts.ok());
  uninstall::TaskbarUnpinShortLink().Run(nullptr);
  EXPECT_EQ(std::vector<std::wstring>{shortcuts.menu_shortcut()}, pin_list.Removed());
}

struct Value {
  std::wstring name;
  DWORD type;
};

std::set<std::wstring> ValueNames(const wchar_t* key_name) {
  std::set<std::wstring> names;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key_name, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return names;
  wchar_t name[1024];
  for (DWORD i = 0;; ++i) {
    DWORD size = 1024;
    if (RegEnumValueW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.insert(name);
  }
  RegCloseKey(key);
  return names;
}

// Values in and around an installation at C:\Program Files\Tern; the ones to keep.
std::set<std::wstring> FillMuiCache(const wchar_t* key) {
  const std::wstring install = L"C:\\Program Files\\Tern";
  std::vector<Value> values = {
      {install + L"\\Bin\\Tern.exe", REG_SZ},
      {L"c:\\program files\\tern\\Bin\\TernApp.exe.FriendlyAppName", REG_SZ},
      {L"C:\\Program Files\\Tern2\\Tern.exe", REG_SZ},
      {L"C:\\Program Files\\Tern.exe", REG_SZ},
      {L"C:\\windows\\notepad.exe", REG_SZ},
      {install + L"\\Bin\\Settings.bin", REG_BINARY},
      {L"LangID", REG_BINARY},
  };
  // A run of neighbouring values to delete: a forward walk would skip every second one.
  for (int i = 0; i < 12; ++i)
    values.push_back({install + L"\\Bin\\Plugin" + std::to_wstring(i) + L".exe", REG_SZ});
  std::set<std::wstring> keep;
  for (const Value& v : values) {
    finish_test::SetString(HKEY_CURRENT_USER, key, v.name.c_str(), L"Tern", 0, v.type);
    if (v.name.find(L"Program Files\\Tern\\") == std::wstring::npos &&
        v.name.find(L"program files\\tern\\") == std::wstring::npos) {
      keep.insert(v.name);
    }
  }
  keep.insert(install + L"\\Bin\\Settings.bin");
  return keep;
}

TEST(FixTaskbarTest, DeletesOnlyStringValuesOfTheInstallation) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedRegistryOverride hkcu(HKEY_CURRENT_USER);
  ASSERT_TRUE(hkcu.ok());
  std::set<std::wstring> keep = FillMuiCache(kMuiCache7);
  SetupContext::SetWStringValue("PreviousInstallPath", L"C:\\Program Files\\Tern\\");
  LogCapture log;
  after_install::FixTaskbar().Run(nullptr);
  EXPECT_EQ(keep, ValueNames(kMuiCache7));
  EXPECT_TRUE(log.Messages().empty());
}

TEST(FixTaskbarTest, MissingKeyIsLogged) {
  base::ShadowingAtExitManager at_exit;
  tern_test::ScopedRegistryOverride hkcu(HKEY_CURRENT_USER);
  ASSERT_TRUE(hkcu.ok());
  LogCapture log;
  after_install::FixTaskbar().Run(nullptr);
  EXPECT_EQ(std::vector<std::string>{"open reg key: Software\\Classes\\Local Settings\\Software\\"
                                     "Microsoft\\Windows\\Shell\\MuiCache failed"},
            log.Messages());
}

// On Windows XP (as reported by the prefix, in a fresh process) the pin list and the pinned
// folders are left alone and the older MuiCache key is cleaned.
TEST(ShellCleanupOnXpTest, NoUnpinningAndShellNoRoamMuiCache) {
  ComApartment com;
  finish_test::ScopedPinList pin_list;
  ASSERT_TRUE(pin_list.ok());
  PinnedShortcuts shortcuts;
  ASSERT_TRUE(shortcuts.ok());
  std::set<std::wstring> keep = FillMuiCache(kMuiCacheXp);
  ASSERT_TRUE(finish_test::SetWineVersion(L"winxp64"));
  int code = finish_test::RunTaskProbe(
      tern_test::QuoteArg(L"--set=PreviousInstallPath=C:\\Program Files\\Tern") +
      L" TaskbarUnpinShortLink FixTaskbar");
  finish_test::SetWineVersion(L"");
  std::set<std::wstring> left = ValueNames(kMuiCacheXp);
  SHDeleteKeyW(HKEY_CURRENT_USER, kMuiCacheXp);
  ASSERT_EQ(0, code);
  EXPECT_TRUE(pin_list.Removed().empty());
  EXPECT_EQ(keep, left);
}

}  // namespace
