#include "util/warden_util_win.h"

#include <shlobj.h>

#include "base/logging.h"
#include "base/scoped_handle_win.h"
#include "base/utf_string_conversions.h"
#include "util/file_util_win.h"
#include "util/registry_util_win.h"
#include "util/removal_util_win.h"

namespace setup_util {

const WardenCommandLines kWardenUpdateFlagLines = {
    "launch process failed, write update flag error:", "warden write update flag error timeout!",
    "warden write update flag error:", true};
const WardenCommandLines kWardenInstallCoreLines = {
    "launch process failed, install wardencore service error",
    "install wardencore service error timeout!", "install wardencore service error:", false};
const WardenCommandLines kWardenDisableLines = {"launch process failed, disable qd error",
                                                "disable qd error timeout!",
                                                "disable qd error:", false};
const WardenCommandLines kWardenUnloadLines = {"launch process failed, unload qd error",
                                               "unload qd error timeout!",
                                               "unload qd error:", false};
const WardenCommandLines kWardenUninstallCoreLines = {
    "launch process failed, stop and uninstall wardencore error",
    "stop and uninstall wardencore error timeout!", "stop and uninstall wardencore error:", false};

namespace {

const wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\WardenCore";
const wchar_t kProductInfo[] = L"ProductInfo";
const wchar_t kWardenRelative[] = L"Warden\\Bin\\Warden.exe";
const wchar_t kBinWardenRelative[] = L"Bin\\Warden\\Bin\\Warden.exe";

std::wstring WithSeparator(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\')
    folder += L'\\';
  return folder;
}

// Values are read into a buffer of 520 bytes, as the component writes them.
bool ReadShortString(HKEY key, const wchar_t* name, std::wstring* value) {
  wchar_t buffer[260] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  *value = buffer;
  return true;
}

bool FindWardenFile(std::wstring* path) {
  std::wstring candidate = DefaultWardenFilePath();
  if (IsFile(candidate)) {
    *path = candidate;
    return true;
  }
  base::ScopedHKEY service;
  const wchar_t* service_key = IsWindows64Bit() ? L"SYSTEM\\CurrentControlSet\\services\\WardenX64"
                                                : L"SYSTEM\\CurrentControlSet\\services\\Warden";
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, service_key, 0, KEY_READ, service.Receive()) ==
      ERROR_SUCCESS) {
    std::wstring value;
    if (ReadShortString(service.Get(), L"WardenPath", &value) && IsFile(value)) {
      *path = value;
      return true;
    }
    if (ReadShortString(service.Get(), L"Path", &value)) {
      for (const wchar_t* relative : {kWardenRelative, kBinWardenRelative}) {
        candidate = WithSeparator(value) + relative;
        if (IsFile(candidate)) {
          *path = candidate;
          return true;
        }
      }
    }
  }
  base::ScopedHKEY client;
  std::wstring install;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\Tern", 0, KEY_READ,
                    client.Receive()) == ERROR_SUCCESS &&
      ReadShortString(client.Get(), L"Install", &install)) {
    for (const wchar_t* relative : {kWardenRelative, kBinWardenRelative}) {
      candidate = WithSeparator(install) + relative;
      if (IsFile(candidate)) {
        *path = candidate;
        return true;
      }
    }
  }
  return false;
}

// Opens ProductInfo under the WardenCore service key; logs which step failed.
LONG OpenProductInfo(REGSAM access, base::ScopedHKEY* product_info, bool* service_key_failed) {
  base::ScopedHKEY service;
  LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, access, service.Receive());
  *service_key_failed = result != ERROR_SUCCESS;
  if (result != ERROR_SUCCESS)
    return result;
  return RegOpenKeyExW(service.Get(), kProductInfo, 0, access, product_info->Receive());
}

}  // namespace

std::wstring CommonProgramFilesFolder() {
  // The shipped uninstaller is 32-bit: a 64-bit build looks where it would look.
  return GetShellFolderPath(sizeof(void*) == 8 ? CSIDL_PROGRAM_FILES_COMMONX86
                                               : CSIDL_PROGRAM_FILES_COMMON);
}

bool IsWindows64Bit() {
  if (sizeof(void*) == 8)
    return true;
  typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
  auto is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  return is_wow64_process && is_wow64_process(GetCurrentProcess(), &wow64) && wow64;
}

std::wstring DefaultWardenFilePath() {
  std::wstring common = CommonProgramFilesFolder();
  if (common.empty())
    return std::wstring();
  return common + L"\\Corvane\\" + kWardenRelative;
}

bool GetWardenFilePath(std::wstring* path) {
  path->clear();
  bool found = FindWardenFile(path);
  LOG(INFO) << "GetWardenFilePath: " << base::WideToUTF8(*path);
  return found;
}

WardenRunResult RunWardenCommand(const std::wstring& path,
                                 const std::wstring& switches,
                                 DWORD wait_ms,
                                 const WardenCommandLines& lines) {
  // Quoted: the default location lies under "Program Files", whose blank would otherwise make
  // the system try "C:\Program.exe" first.
  std::wstring command_line = L"\"" + path + L"\" " + switches;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    DWORD error = GetLastError();
    if (lines.launch_failed && lines.launch_failed_with_code)
      LOG(ERROR) << lines.launch_failed << error;
    else if (lines.launch_failed)
      LOG(ERROR) << lines.launch_failed;
    return WardenRunResult::kLaunchFailed;
  }
  base::ScopedHandle process(info.hProcess);
  base::ScopedHandle thread(info.hThread);
  if (WaitForSingleObject(process.Get(), wait_ms) != WAIT_OBJECT_0) {
    LOG(ERROR) << lines.timed_out;
    TerminateProcess(process.Get(), 0);
    return WardenRunResult::kTimedOut;
  }
  DWORD exit_code = 0;
  GetExitCodeProcess(process.Get(), &exit_code);
  if (exit_code != 0) {
    LOG(ERROR) << lines.exit_code << exit_code;
    return WardenRunResult::kExitCodeNotZero;
  }
  return WardenRunResult::kSucceeded;
}

bool WardenWriteUpdateFlag(bool on) {
  std::wstring path = DefaultWardenFilePath();
  if (!IsFile(path)) {
    LOG(INFO) << "warden not existed:" << base::WideToUTF8(path);
    return false;
  }
  RunWardenCommand(path, on ? L"/pfc on /3" : L"/pfc off /3", kWardenLongWaitMs,
                   kWardenUpdateFlagLines);
  return true;
}

bool WardenInstallCoreService() {
  std::wstring path = DefaultWardenFilePath();
  if (!IsFile(path)) {
    LOG(INFO) << "warden not existed:" << base::WideToUTF8(path);
    return false;
  }
  RunWardenCommand(path, L"/irwardencore /fp enable /3", kWardenLongWaitMs,
                   kWardenInstallCoreLines);
  return true;
}

std::wstring WardenProductValueName(uint32_t product_id) {
  wchar_t buffer[16];
  swprintf(buffer, 16, L"%x", product_id);
  return buffer;
}

bool RegisterWardenProduct(const std::wstring& directory, uint32_t product_id) {
  std::wstring name = WardenProductValueName(product_id);
  if (!IsDirectory(directory)) {
    LOG(ERROR) << "error, dir not existed: " << base::WideToUTF8(directory);
    return false;
  }
  std::wstring normalized = NormalizePath(directory);
  if (!normalized.empty() && normalized.back() != L'\\')
    normalized += L'\\';
  LOG(INFO) << "id:  " << base::WideToUTF8(name);
  LOG(INFO) << "in:  " << base::WideToUTF8(directory);
  LOG(INFO) << "nor: " << base::WideToUTF8(normalized);
  if (normalized.empty()) {
    LOG(ERROR) << "error: adding empty filepath.";
    return false;
  }
  base::ScopedHKEY service;
  LONG result =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_ALL_ACCESS, service.Receive());
  if (result != ERROR_SUCCESS) {
    LOG(ERROR) << "reg key could not be opened: " << result << "," << GetLastError();
    return false;
  }
  base::ScopedHKEY product_info;
  result = RegOpenKeyExW(service.Get(), kProductInfo, 0, KEY_ALL_ACCESS, product_info.Receive());
  if (result == ERROR_FILE_NOT_FOUND) {
    LOG(ERROR) << "reg subkey could not be opened: " << result << "," << GetLastError()
               << ". subkey will be created.";
    result = RegCreateKeyExW(service.Get(), kProductInfo, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             product_info.Receive(), nullptr);
    if (result != ERROR_SUCCESS) {
      LOG(ERROR) << "reg subkey could not be created: " << result << "," << GetLastError();
      return false;
    }
  } else if (result != ERROR_SUCCESS) {
    LOG(ERROR) << "reg subkey could not be opened: " << result << "," << GetLastError();
    return false;
  }
  result = RegSetValueExW(product_info.Get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(normalized.c_str()),
                          static_cast<DWORD>((normalized.size() + 1) * sizeof(wchar_t)));
  if (result != ERROR_SUCCESS) {
    LOG(ERROR) << "reg write value failed: " << result << "," << GetLastError();
    return false;
  }
  return true;
}

bool UnregisterWardenProduct() {
  base::ScopedHKEY service;
  LONG result =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_ALL_ACCESS, service.Receive());
  if (result != ERROR_SUCCESS) {
    LOG(ERROR) << "reg key could not be opened: " << result << "," << GetLastError();
    return result == ERROR_FILE_NOT_FOUND;
  }
  base::ScopedHKEY product_info;
  result = RegOpenKeyExW(service.Get(), kProductInfo, 0, KEY_ALL_ACCESS, product_info.Receive());
  if (result != ERROR_SUCCESS) {
    LOG(INFO) << "reg subkey could not be opened.";
    return result == ERROR_FILE_NOT_FOUND;
  }
  result = RegDeleteValueW(product_info.Get(), WardenProductValueName(kProductTern).c_str());
  if (result != ERROR_SUCCESS) {
    LOG(INFO) << "reg delete value failed: " << result;
    return result == ERROR_FILE_NOT_FOUND;
  }
  return true;
}

int WardenProductCount() {
  base::ScopedHKEY product_info;
  bool service_key_failed = false;
  LONG result = OpenProductInfo(KEY_READ, &product_info, &service_key_failed);
  if (result != ERROR_SUCCESS) {
    LOG(ERROR) << (service_key_failed ? "reg key could not be opened: "
                                      : "reg subkey could not be opened: ")
               << result << "," << GetLastError();
    return 0;
  }
  DWORD values = 0;
  if (RegQueryInfoKeyW(product_info.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  return static_cast<int>(values);
}

bool OtherWardenProductRegistered() {
  base::ScopedHKEY product_info;
  bool service_key_failed = false;
  if (OpenProductInfo(KEY_READ, &product_info, &service_key_failed) != ERROR_SUCCESS)
    return false;
  const std::wstring own = WardenProductValueName(kProductTern);
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    LONG result =
        RegEnumValueW(product_info.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    // A name too long for the buffer is not this product's either.
    if (result == ERROR_MORE_DATA)
      return true;
    if (result != ERROR_SUCCESS)
      return false;
    if (own != std::wstring(name, length))
      return true;
  }
}

void RefreshWardenProductInfo() {
  struct Product {
    uint32_t id;
    const wchar_t* key;
  };
  const Product kProducts[] = {{kProductPelican2009, L"Software\\Corvane\\Pelican2009"},
                               {kProductPelicanLite, L"Software\\Corvane\\PelicanLite"},
                               {kProductTern, L"Software\\Corvane\\Tern"}};
  for (const Product& product : kProducts) {
    base::ScopedHKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, product.key, 0, KEY_READ, key.Receive()) !=
        ERROR_SUCCESS) {
      continue;
    }
    if (RegQueryValueExW(key.Get(), L"AnvilSetup2012", nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      continue;
    }
    std::wstring install;
    if (!ReadRegistryString(key.Get(), L"Install", &install))
      continue;
    while (!install.empty() && (install.back() == L'\\' || install.back() == L'/'))
      install.pop_back();
    if (install.empty())
      continue;
    if (IsFile(install + L"\\Bin\\Pelican.exe") && !IsFile(install + L"\\" + kWardenRelative)) {
      LOG(INFO) << "Product info refreshed. " << base::WideToUTF8(install);
      RegisterWardenProduct(install, product.id);
    }
  }
}

bool IsLastWardenProduct(int product_count) {
  return product_count <= 1 && !OtherWardenProductRegistered();
}

bool ReadWardenVersion(const std::wstring& warden_path, uint32_t* version) {
  *version = 0;
  size_t slash = warden_path.find_last_of(L'\\');
  if (slash == std::wstring::npos || !IsFile(warden_path) ||
      !IsFile(warden_path.substr(0, slash) + L"\\WardenVi.dat")) {
    return false;
  }
  // The version word is enciphered with a key derived from a digest of Warden.exe, which only
  // the component can reproduce; an unreadable version never unloads the driver.
  return false;
}

bool WardenVersionPermitsUnload(uint32_t version) {
  return version >= 0x03050200;
}

}  // namespace setup_util
