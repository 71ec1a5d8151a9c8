#include "scenario/simulated_installation.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "base/scoped_handle_win.h"
#include "scenario/installation_parts.h"
#include "util/file_util_win.h"
#include "util/warden_util_win.h"

namespace uninstall_scenario {

namespace {

bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0) {
  base::ScopedHKEY handle;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, handle.Receive()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::wstring& key, const std::wstring& name) {
  base::ScopedHKEY handle;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.Receive()) == ERROR_SUCCESS &&
         RegQueryValueExW(handle.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS;
}

void DeleteKey(HKEY root, const std::wstring& key, REGSAM view) {
  if (view == 0) {
    SHDeleteKeyW(root, key.c_str());
    return;
  }
  size_t slash = key.find_last_of(L'\\');
  base::ScopedHKEY parent;
  if (RegOpenKeyExW(root, key.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | view,
                    parent.Receive()) == ERROR_SUCCESS) {
    RegDeleteKeyW(parent.Get(), key.substr(slash + 1).c_str());
  }
}

void CollectTree(const std::wstring& folder, std::vector<std::wstring>* out) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..")
      continue;
    std::wstring path = folder + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectTree(path, out);
    out->push_back(path);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

const char* GroupName(Group group) {
  switch (group) {
    case Group::kClient:
      return "client";
    case Group::kComponent:
      return "component";
    case Group::kCompanion:
      return "companion";
    case Group::kSentinel:
      return "sentinel";
  }
  return "";
}

const char* StateName(State state) {
  switch (state) {
    case State::kPresent:
      return "present";
    case State::kGone:
      return "gone";
    case State::kScheduled:
      return "scheduled for deletion at restart";
  }
  return "";
}

SimulatedInstallation::SimulatedInstallation(const Options& options)
    : options_(options), parts_(new Parts) {
  program_files_ = setup_util::GetShellFolderPath(CSIDL_PROGRAM_FILESX86);
  common_files_ = setup_util::CommonProgramFilesFolder();
  install_ = program_files_ + L"\\Corvane\\Tern";
  sentinel_dir_ = program_files_ + L"\\Corvane\\TernTools";
}

SimulatedInstallation::~SimulatedInstallation() {
  processes_.clear();
  parts_->service.reset();
  // What was moved aside and registered for restart goes now that the uninstaller has ended.
  for (const std::wstring& path : removal_test::PendingDeletes()) {
    if (!DeleteFileW(path.c_str()))
      RemoveDirectoryW(path.c_str());
  }
  tern_test::RemoveTree(install_);
  for (const std::wstring& file : made_files_)
    DeleteFileW(file.c_str());
  for (auto dir = made_dirs_.rbegin(); dir != made_dirs_.rend(); ++dir)
    tern_test::RemoveTree(*dir);
  for (const MadeValue& value : made_values_) {
    base::ScopedHKEY key;
    if (RegOpenKeyExW(value.root, value.key.c_str(), 0, KEY_SET_VALUE, key.Receive()) ==
        ERROR_SUCCESS) {
      RegDeleteValueW(key.Get(), value.name.c_str());
    }
  }
  for (auto key = made_keys_.rbegin(); key != made_keys_.rend(); ++key)
    DeleteKey(key->root, key->key, key->view);
}

bool SimulatedInstallation::Fail(const std::string& what) {
  if (error_.empty())
    error_ = what;
  return false;
}

bool SimulatedInstallation::Create() {
  tern_test::RemoveTree(install_);
  tern_test::RemoveTree(sentinel_dir_);
  if (!removal_test::MakeDirs(install_))
    return Fail("cannot create " + removal_test::Utf8(install_));
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = LayDownClient() && LayDownComponent() && LayDownShell() && LayDownCompanions() &&
            LayDownSentinels() && WriteDescription() && StartProcesses();
  if (SUCCEEDED(com))
    CoUninitialize();
  return ok;
}

void SimulatedInstallation::AddFile(Group group,
                                    const std::wstring& path,
                                    const std::string& bytes) {
  removal_test::WriteText(path, bytes);
  items_.push_back({group, "file " + removal_test::Utf8(path),
                    [path] { return removal_test::Exists(path); }, path});
}

void SimulatedInstallation::AddKey(Group group,
                                   HKEY root,
                                   const std::wstring& root_name,
                                   const std::wstring& key) {
  base::ScopedHKEY handle;
  RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.Receive(),
                  nullptr);
  made_keys_.push_back({root, key, 0});
  items_.push_back({group, "key " + removal_test::Utf8(root_name + L"\\" + key),
                    [root, key] { return KeyExists(root, key); }, std::wstring()});
}

void SimulatedInstallation::AddValue(Group group,
                                     HKEY root,
                                     const std::wstring& key,
                                     const std::wstring& name,
                                     const std::wstring& data,
                                     DWORD type) {
  if (type == REG_DWORD) {
    DWORD number = std::stoul(data);
    base::ScopedHKEY handle;
    RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.Receive(),
                    nullptr);
    RegSetValueExW(handle.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof(number));
  } else {
    finish_test::SetString(root, key, name.c_str(), data, 0, type);
  }
  made_values_.push_back({root, key, name});
  items_.push_back({group, "value " + removal_test::Utf8(key + L" [" + name + L"]"),
                    [root, key, name] { return ValueExists(root, key, name); }, std::wstring()});
}

void SimulatedInstallation::AddProcess(Group group, const std::wstring& exe) {
  auto process = std::make_unique<tern_test::ScopedProcess>();
  if (!process->Start(exe, L"")) {
    Fail("cannot start " + removal_test::Utf8(exe));
    return;
  }
  HANDLE handle = process->handle();
  items_.push_back(
      {group,
       "process " + removal_test::Utf8(exe) + " (pid " + std::to_string(process->pid()) + ")",
       [handle] { return WaitForSingleObject(handle, 0) == WAIT_TIMEOUT; }, std::wstring()});
  processes_.push_back(std::move(process));
}

State SimulatedInstallation::StateOf(const Item& item) const {
  if (!item.present())
    return State::kGone;
  if (!item.path.empty()) {
    for (const std::wstring& pending : removal_test::PendingDeletes()) {
      if (SamePath(pending, item.path))
        return State::kScheduled;
    }
  }
  return State::kPresent;
}

std::vector<std::wstring> SimulatedInstallation::LeftInInstallDir() const {
  std::vector<std::wstring> left;
  CollectTree(install_, &left);
  return left;
}

std::vector<std::string> SimulatedInstallation::WardenCalls() const {
  return parts_->warden.Calls();
}

std::vector<std::wstring> SimulatedInstallation::CompanionStarts() const {
  std::vector<std::wstring> starts;
  for (const std::wstring& exe : companions_) {
    for (const std::wstring& line :
         finish_test::Lines(finish_test::ReadUtf16File(exe + L".started")))
      starts.push_back(line);
  }
  return starts;
}

std::vector<std::string> SimulatedInstallation::StatsRequests() const {
  std::vector<std::string> requests;
  for (int n = 1;; ++n) {
    std::wstring file = parts_->stats_dir.Join(L"request_" + std::to_wstring(n) + L".txt");
    if (!removal_test::Exists(file))
      return requests;
    requests.push_back(tern_test::ReadFileBytes(file));
  }
}

}  // namespace uninstall_scenario
