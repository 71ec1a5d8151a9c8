#include "warden_fixture.h"

#include <shlwapi.h>

#include "base/scoped_handle_win.h"
#include "removal_test_support.h"
#include "tern_test/process.h"
#include "util/removal_util_win.h"
#include "util/warden_util_win.h"

namespace {
const wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\WardenCore";
}

WardenFixture::WardenFixture() : warden_path_(setup_util::DefaultWardenFilePath()) {
  SetEnvironmentVariableW(L"WARDEN_STAND_IN_RECORD", record_dir_.Join(L"calls.txt").c_str());
  base::ScopedHKEY key;
  created_service_key_ =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS;
}

WardenFixture::~WardenFixture() {
  SetEnvironmentVariableW(L"WARDEN_STAND_IN_RECORD", nullptr);
  setup_util::DeleteTree(setup_util::CommonProgramFilesFolder() + L"\\Corvane\\Warden", true);
  if (created_service_key_)
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kServiceKey);
  else
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, (std::wstring(kServiceKey) + L"\\ProductInfo").c_str());
}

bool WardenFixture::InstallWarden(const std::string& behaviour) {
  std::wstring folder = warden_path_.substr(0, warden_path_.find_last_of(L'\\'));
  removal_test::MakeDirs(folder);
  return CopyFileW((tern_test::ExeDir() + L"\\Warden.exe").c_str(), warden_path_.c_str(), FALSE) &&
         tern_test::WriteFileBytes(folder + L"\\warden_behaviour.txt", behaviour) &&
         tern_test::WriteFileBytes(folder + L"\\WardenVi.dat", std::string(64, '\x5a'));
}

std::vector<std::string> WardenFixture::Calls() const {
  return removal_test::ReadLines(record_dir_.Join(L"calls.txt"));
}

void WardenFixture::SetProducts(const std::vector<std::wstring>& names, bool present) {
  std::wstring product_info = std::wstring(kServiceKey) + L"\\ProductInfo";
  SHDeleteKeyW(HKEY_LOCAL_MACHINE, product_info.c_str());
  base::ScopedHKEY key;
  if (!present) {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    key.Receive(), nullptr);
    return;
  }
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, product_info.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  key.Receive(), nullptr);
  for (const std::wstring& name : names) {
    const wchar_t kDir[] = L"C:\\Program Files\\Corvane\\Product\\";
    RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kDir),
                   sizeof(kDir));
  }
}

std::vector<std::wstring> WardenFixture::Products() const {
  std::vector<std::wstring> names;
  base::ScopedHKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kServiceKey) + L"\\ProductInfo").c_str(), 0,
                    KEY_READ, key.Receive()) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumValueW(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return names;
    }
    names.emplace_back(name, length);
  }
}

ScopedWardenCoreService::ScopedWardenCoreService(bool ignore_stop) {
  // One registered by an earlier test may still be on its way out.
  for (int i = 0; i < 1200 && WardenCoreServiceExists(); ++i)
    Sleep(25);
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!manager)
    return;
  std::wstring binary =
      tern_test::QuoteArg(tern_test::ExeDir() + L"\\warden_core_service_stand_in.exe") +
      (ignore_stop ? L" --ignore-stop" : L"");
  SC_HANDLE service =
      CreateServiceW(manager, L"WardenCore", L"WardenCore", SERVICE_ALL_ACCESS,
                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                     binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  if (service && StartServiceW(service, 0, nullptr)) {
    SERVICE_STATUS status = {};
    // A fresh prefix on a busy machine can take many seconds to start a service process.
    for (int i = 0; i < 1200 && !running_; ++i) {
      running_ = QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
      if (!running_)
        Sleep(25);
    }
  }
  if (service)
    CloseServiceHandle(service);
  CloseServiceHandle(manager);
}
ScopedWardenCoreService::~ScopedWardenCoreService() {
  HANDLE quit = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"Global\\WardenCoreStandInQuit");
  if (quit) {
    SetEvent(quit);
    CloseHandle(quit);
  }
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  for (int i = 0; manager && i < 1200; ++i) {
    SC_HANDLE service = OpenServiceW(manager, L"WardenCore", SERVICE_ALL_ACCESS);
    if (!service)
      break;
    DeleteService(service);
    CloseServiceHandle(service);
    Sleep(25);
  }
  if (manager)
    CloseServiceHandle(manager);
}

bool WardenCoreServiceExists() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service =
      manager ? OpenServiceW(manager, L"WardenCore", SERVICE_QUERY_STATUS) : nullptr;
  if (service)
    CloseServiceHandle(service);
  if (manager)
    CloseServiceHandle(manager);
  return service != nullptr;
}
