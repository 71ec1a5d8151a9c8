#include "removal_test_support.h"

#include <shlobj.h>

#include <fstream>

#include "base/scoped_handle_win.h"
#include "base/utf_string_conversions.h"

namespace removal_test {

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";
const wchar_t kFirewallServer[] =
    L"Software\\Classes\\CLSID\\{304CE942-6E39-40D8-943A-B913C40C9CD4}\\InprocServer32";

std::vector<std::wstring> ReadPendingList() {
  std::vector<std::wstring> items;
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return items;
  }
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr,
                       &size) != ERROR_SUCCESS) {
    return items;
  }
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, nullptr,
                   reinterpret_cast<BYTE*>(&data[0]), &size);
  data.resize(size / sizeof(wchar_t));
  // Pairs: an empty destination is a string of its own, so split on every null.
  size_t start = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == L'\0') {
      items.push_back(data.substr(start, i - start));
      start = i + 1;
    }
  }
  while (!items.empty() && items.size() % 2 == 1 && items.back().empty())
    items.pop_back();
  return items;
}

std::wstring StripPrefix(std::wstring path) {
  if (!path.empty() && path[0] == L'!')
    path.erase(0, 1);
  if (path.compare(0, 4, L"\\??\\") == 0)
    path.erase(0, 4);
  return path;
}

}  // namespace

ScopedPendingRenames::ScopedPendingRenames() {
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ | KEY_SET_VALUE,
                    key.Receive()) != ERROR_SUCCESS) {
    return;
  }
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), kPendingValue, nullptr, nullptr, nullptr, &size) ==
      ERROR_SUCCESS) {
    saved_.resize(size);
    had_value_ = RegQueryValueExW(key.Get(), kPendingValue, nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&saved_[0]), &size) == ERROR_SUCCESS;
    saved_.resize(size);
  }
  RegDeleteValueW(key.Get(), kPendingValue);
}

ScopedPendingRenames::~ScopedPendingRenames() {
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.Receive()) !=
      ERROR_SUCCESS) {
    return;
  }
  if (had_value_) {
    RegSetValueExW(key.Get(), kPendingValue, 0, REG_MULTI_SZ,
                   reinterpret_cast<const BYTE*>(saved_.data()), static_cast<DWORD>(saved_.size()));
  } else {
    RegDeleteValueW(key.Get(), kPendingValue);
  }
}

std::string Utf8(const std::wstring& text) {
  return base::WideToUTF8(text);
}

bool MakeDirs(const std::wstring& path) {
  int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

bool WriteText(const std::wstring& path, const std::string& text) {
  MakeDirs(path.substr(0, path.find_last_of(L'\\')));
  return tern_test::WriteFileBytes(path, text);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::vector<std::string> lines;
  std::ifstream in(path.c_str(), std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::pair<std::wstring, std::wstring>> PendingRenames() {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  std::vector<std::wstring> items = ReadPendingList();
  for (size_t i = 0; i + 1 < items.size(); i += 2)
    pairs.emplace_back(StripPrefix(items[i]), StripPrefix(items[i + 1]));
  return pairs;
}

std::vector<std::wstring> PendingDeletes() {
  std::vector<std::wstring> deletes;
  for (const auto& pair : PendingRenames()) {
    if (pair.second.empty())
      deletes.push_back(pair.first);
  }
  return deletes;
}

void ForgetPendingUnder(const std::wstring& folder) {
  std::vector<std::wstring> items = ReadPendingList();
  std::wstring kept;
  for (size_t i = 0; i + 1 < items.size(); i += 2) {
    std::wstring source = StripPrefix(items[i]);
    if (_wcsnicmp(source.c_str(), folder.c_str(), folder.size()) == 0)
      continue;
    kept += items[i] + L'\0' + items[i + 1] + L'\0';
  }
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.Receive()) !=
      ERROR_SUCCESS) {
    return;
  }
  if (kept.empty()) {
    RegDeleteValueW(key.Get(), L"PendingFileRenameOperations");
    return;
  }
  kept += L'\0';
  RegSetValueExW(key.Get(), L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                 reinterpret_cast<const BYTE*>(kept.data()),
                 static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
}

LockedFile::LockedFile(const std::wstring& path) {
  if (!holder_.Start(tern_test::ExeDir() + L"\\anvil_file_holder.exe", tern_test::QuoteArg(path)))
    return;
  // Locked once an open for deletion is refused with a sharing violation.
  for (int i = 0; i < 500 && !locked_; ++i) {
    HANDLE probe =
        CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE)
      CloseHandle(probe);
    else if (GetLastError() == ERROR_SHARING_VIOLATION)
      locked_ = true;
    if (!locked_)
      Sleep(20);
  }
}

RunningProgram::RunningProgram(const std::wstring& exe_path) {
  std::wstring folder = exe_path.substr(0, exe_path.find_last_of(L'\\'));
  MakeDirs(folder);
  CopyFileW((tern_test::ExeDir() + L"\\Warden.exe").c_str(), exe_path.c_str(), FALSE);
  tern_test::WriteFileBytes(folder + L"\\warden_behaviour.txt", "*=hang\n");
  process_.Start(exe_path, L"");
}

bool RunningProgram::running() const {
  return process_.handle() && WaitForSingleObject(process_.handle(), 0) == WAIT_TIMEOUT;
}

bool RunningProgram::Ended() {
  DWORD code = 0;
  return process_.Wait(10000, &code);
}

SecondDrive::SecondDrive() {
  wchar_t prefix[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH) || !target_.valid()) {
    error_ = "no WINEPREFIX";
    return;
  }
  char unix_target[MAX_PATH * 3] = {};
  typedef char*(CDECL * UnixFileName)(const wchar_t*);
  auto unix_name = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unix_name ? unix_name(target_.path().c_str()) : nullptr;
  if (!name) {
    error_ = "no Unix name";
    return;
  }
  lstrcpynA(unix_target, name, sizeof(unix_target));
  HeapFree(GetProcessHeap(), 0, name);
  for (wchar_t letter = L'M'; letter <= L'Y'; ++letter) {
    std::wstring root = std::wstring(1, letter) + L":\\";
    if (GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR)
      continue;
    // The link is a Unix one; Wine starts Unix programs by their path on drive Z:.
    link_ = Utf8(prefix) + "/dosdevices/" + static_cast<char>(towlower(letter)) + ":";
    std::wstring args = L"-sfn " + tern_test::QuoteArg(base::UTF8ToWide(unix_target)) + L" " +
                        tern_test::QuoteArg(base::UTF8ToWide(link_));
    tern_test::ProcessResult result = tern_test::RunProcess(L"Z:\\bin\\ln", args, 10000);
    // Wine refreshes its list of drives at most once a second.
    bool mapped = false;
    for (int i = 0; i < 30 && result.started && result.exit_code == 0 && !mapped; ++i) {
      mapped = GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
      if (!mapped)
        Sleep(100);
    }
    if (mapped) {
      root_ = root;
    } else {
      error_ = "ln started " + std::to_string(result.started) + " exit " +
               std::to_string(result.exit_code) + " for " + link_;
    }
    break;
  }
}

SecondDrive::~SecondDrive() {
  if (!link_.empty())
    tern_test::RunProcess(L"Z:\\bin\\rm", L"-f " + tern_test::QuoteArg(base::UTF8ToWide(link_)),
                          10000);
}

ScopedFirewallStandIn::ScopedFirewallStandIn(const std::vector<std::wstring>& authorized) {
  std::wstring dll = dir_.Join(L"FirewallManagerStandIn.dll");
  if (!CopyFileW((tern_test::ExeDir() + L"\\FirewallManagerStandIn.dll").c_str(), dll.c_str(),
                 FALSE)) {
    return;
  }
  std::string list;
  for (const std::wstring& path : authorized)
    list += Utf8(path) + "\n";
  tern_test::WriteFileBytes(dir_.Join(L"firewall_authorized.txt"), list);
  base::ScopedHKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kFirewallServer, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  wchar_t previous[MAX_PATH * 2] = {};
  DWORD size = sizeof(previous) - sizeof(wchar_t);
  had_previous_ = RegQueryValueExW(key.Get(), nullptr, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS;
  previous_ = previous;
  const wchar_t kApartment[] = L"Both";
  ok_ = RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                       static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
        RegSetValueExW(key.Get(), L"ThreadingModel", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(kApartment),
                       sizeof(kApartment)) == ERROR_SUCCESS;
}

ScopedFirewallStandIn::~ScopedFirewallStandIn() {
  // Let COM drop the copy before its folder goes.
  CoFreeUnusedLibrariesEx(0, 0);
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kFirewallServer, 0, KEY_SET_VALUE, key.Receive()) !=
      ERROR_SUCCESS) {
    return;
  }
  if (had_previous_) {
    RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_.c_str()),
                   static_cast<DWORD>((previous_.size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(key.Get(), nullptr);
  }
}

std::vector<std::string> ScopedFirewallStandIn::Removals() const {
  return ReadLines(dir_.Join(L"firewall_removals.txt"));
}

std::vector<std::string> ScopedFirewallStandIn::Authorized() const {
  return ReadLines(dir_.Join(L"firewall_authorized.txt"));
}

}  // namespace removal_test
