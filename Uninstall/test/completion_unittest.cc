// The uninstaller's own deletion and the removal of the folder of removed files, against
// real files, a running program and the session manager's pending renames (saved and put
// back around each test).
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "base/scoped_handle_win.h"
#include "setup/setup_context.h"
#include "task/clear_uninstall_temp_dir.h"
#include "task/self_deletion.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace {

const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPending[] = L"PendingFileRenameOperations";

std::vector<std::wstring> ReadPendingRaw() {
  base::ScopedHKEY key;
  std::vector<std::wstring> entries;
  DWORD size = 0;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.Receive()) !=
          ERROR_SUCCESS ||
      RegQueryValueExW(key.Get(), kPending, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return entries;
  }
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
  RegQueryValueExW(key.Get(), kPending, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                   &size);
  size_t count = size / sizeof(wchar_t);
  // Pairs of source and destination; an empty destination is a deletion.
  for (size_t i = 0; i < count;) {
    std::wstring entry(&data[i]);
    entries.push_back(entry);
    i += entry.size() + 1;
  }
  while (!entries.empty() && entries.back().empty() && entries.size() % 2 == 1)
    entries.pop_back();
  return entries;
}

// The sources registered for deletion, without "\??\", in registration order.
std::vector<std::wstring> PendingDeletes() {
  std::vector<std::wstring> raw = ReadPendingRaw();
  std::vector<std::wstring> deletes;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) {
    if (raw[i + 1].empty())
      deletes.push_back(raw[i].rfind(L"\\??\\", 0) == 0 ? raw[i].substr(4) : raw[i]);
  }
  return deletes;
}

class ScopedPendingRenames {
 public:
  ScopedPendingRenames() {
    base::ScopedHKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.Receive()) ==
        ERROR_SUCCESS) {
      DWORD size = 0;
      if (RegQueryValueExW(key.Get(), kPending, nullptr, nullptr, nullptr, &size) ==
          ERROR_SUCCESS) {
        saved_.resize(size);
        had_value_ = RegQueryValueExW(key.Get(), kPending, nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&saved_[0]), &size) == ERROR_SUCCESS;
      }
    }
    // Each test sees only what it registered itself.
    base::ScopedHKEY writable;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, writable.Receive()) ==
        ERROR_SUCCESS) {
      RegDeleteValueW(writable.Get(), kPending);
    }
  }
  ~ScopedPendingRenames() { Restore(); }

 private:
  void Restore() {
    base::ScopedHKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.Receive()) !=
        ERROR_SUCCESS) {
      return;
    }
    if (had_value_) {
      RegSetValueExW(key.Get(), kPending, 0, REG_MULTI_SZ,
                     reinterpret_cast<const BYTE*>(saved_.data()),
                     static_cast<DWORD>(saved_.size()));
    } else {
      RegDeleteValueW(key.Get(), kPending);
    }
  }
  std::string saved_;
  bool had_value_ = false;
};

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A copy of a long-lived test program, running from `path` until the object goes away:
// like the uninstaller itself, it can be renamed but not deleted.
class RunningCopy {
 public:
  RunningCopy(const std::wstring& path, const tern_test::ScopedTempDir& scratch) {
    started_ =
        CopyFileW((tern_test::ExeDir() + L"\\stats_server.exe").c_str(), path.c_str(), FALSE) &&
        process_.Start(path, tern_test::QuoteArg(L"--dir=" + scratch.path()) + L" --port=0");
    DWORD start = GetTickCount();
    while (started_ && !Exists(scratch.Join(L"ready")) && GetTickCount() - start < 10000)
      Sleep(10);
    started_ = started_ && Exists(scratch.Join(L"ready"));
  }
  bool started() const { return started_; }

 private:
  tern_test::ScopedProcess process_;
  bool started_ = false;
};

TEST(SelfDeletionTest, RunningProgramMovedIntoTempFolderAndRegistered) {
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir app, temp, scratch;
  std::wstring exe = app.Join(L"Uninstall.exe");
  RunningCopy running(exe, scratch);
  ASSERT_TRUE(running.started());
  std::wstring registered = uninstall::ScheduleSelfDeletion(exe, temp.path());
  EXPECT_EQ(temp.Join(L"~Uninstall_1.exe"), registered);
  EXPECT_FALSE(Exists(exe));
  EXPECT_TRUE(Exists(registered));
  EXPECT_EQ(std::vector<std::wstring>{registered}, PendingDeletes());
}

TEST(SelfDeletionTest, WithoutTempFolderRegisteredInPlace) {
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir app, scratch;
  std::wstring exe = app.Join(L"Uninstall.exe");
  RunningCopy running(exe, scratch);
  ASSERT_TRUE(running.started());
  EXPECT_EQ(exe, uninstall::ScheduleSelfDeletion(exe, L""));
  EXPECT_TRUE(Exists(exe));
  EXPECT_EQ(std::vector<std::wstring>{exe}, PendingDeletes());
}

TEST(SelfDeletionTest, FailedMoveRegistersInPlace) {
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir app, scratch;
  std::wstring exe = app.Join(L"Uninstall.exe");
  RunningCopy running(exe, scratch);
  ASSERT_TRUE(running.started());
  // Same drive, but the folder is gone: the move fails.
  EXPECT_EQ(exe, uninstall::ScheduleSelfDeletion(exe, app.Join(L"no such folder")));
  EXPECT_TRUE(Exists(exe));
  EXPECT_EQ(std::vector<std::wstring>{exe}, PendingDeletes());
}

TEST(SelfDeletionTest, ProgramThatCanGoIsDeletedAtOnce) {
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir app, temp;
  std::wstring exe = app.Join(L"Uninstall.exe");
  ASSERT_TRUE(tern_test::WriteFileBytes(exe, "MZ"));
  ASSERT_TRUE(tern_test::WriteFileBytes(temp.Join(L"~Uninstall_1.exe"), "MZ"));
  EXPECT_EQ(temp.Join(L"~Uninstall_2.exe"), uninstall::ScheduleSelfDeletion(exe, temp.path()));
  EXPECT_FALSE(Exists(exe));
  EXPECT_FALSE(Exists(temp.Join(L"~Uninstall_2.exe")));
  EXPECT_TRUE(PendingDeletes().empty());
}

TEST(ClearUninstallTempDirTest, RemovesTheFolder) {
  base::ShadowingAtExitManager at_exit;
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir root;
  std::wstring folder = root.Join(L"pelican_setup_42");
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\~Bin_1").c_str(), nullptr);
  tern_test::WriteFileBytes(folder + L"\\~Bin_1\\core.dll", "x");
  tern_test::WriteFileBytes(folder + L"\\~Tern_1.exe", "x");
  SetupContext::SetWStringValue("DeleteFileTempPath", folder);
  after_install::ClearUninstallTempDir().Run(nullptr);
  EXPECT_FALSE(Exists(folder));
  EXPECT_TRUE(PendingDeletes().empty());
}

TEST(ClearUninstallTempDirTest, WithoutFolderDoesNothing) {
  base::ShadowingAtExitManager at_exit;
  ScopedPendingRenames pending;
  after_install::ClearUninstallTempDir().Run(nullptr);
  EXPECT_TRUE(PendingDeletes().empty());
}

// The moved uninstaller is still running: the folder's restart entry follows the entries
// for what is inside it, so the system empties it before removing it.
TEST(ClearUninstallTempDirTest, FolderRegisteredAfterItsContents) {
  base::ShadowingAtExitManager at_exit;
  ScopedPendingRenames pending;
  tern_test::ScopedTempDir root, app, scratch;
  std::wstring folder = root.Join(L"pelican_setup_7");
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\~Data_1").c_str(), nullptr);
  std::wstring exe = app.Join(L"Uninstall.exe");
  RunningCopy running(exe, scratch);
  ASSERT_TRUE(running.started());
  std::wstring moved = uninstall::ScheduleSelfDeletion(exe, folder);
  ASSERT_EQ(folder + L"\\~Uninstall_1.exe", moved);
  SetupContext::SetWStringValue("DeleteFileTempPath", folder);
  after_install::ClearUninstallTempDir().Run(nullptr);
  EXPECT_TRUE(Exists(moved));
  EXPECT_FALSE(Exists(folder + L"\\~Data_1"));
  std::vector<std::wstring> deletes = PendingDeletes();
  ASSERT_FALSE(deletes.empty());
  EXPECT_EQ(moved, deletes.front());
  EXPECT_EQ(folder, deletes.back());
}

}  // namespace
