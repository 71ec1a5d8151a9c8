#include "uninstall/delete_warden_files.h"

#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "base/logging.h"
#include "base/utf_string_conversions.h"
#include "setup/setup_context.h"
#include "task/task_class_registry.h"
#include "util/file_util_win.h"
#include "util/removal_util_win.h"
#include "util/warden_service_win.h"
#include "util/warden_util_win.h"

namespace uninstall {

namespace {

const wchar_t kKeepwellClsid[] = L"{DDD362CF-523B-4BC9-8FDC-58F93B6BC945}";

std::wstring SystemFolder() {
  wchar_t buffer[MAX_PATH] = {};
  GetSystemDirectoryW(buffer, MAX_PATH);
  return buffer;
}

void DeleteEachFile(const std::wstring& folder, std::initializer_list<const wchar_t*> names) {
  for (const wchar_t* name : names)
    DeleteFileW((folder + L"\\" + name).c_str());
}

void DeleteServiceKey(const wchar_t* name) {
  std::wstring key = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + name;
  if (SHDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str()) == ERROR_SUCCESS)
    LOG(INFO) << "deleted: " << base::WideToUTF8(key);
}

// The 32-bit uninstaller on a 64-bit system must switch redirection off to reach the native
// drivers folder; a 64-bit build reaches it anyway.
void DeleteNativeDriver(const std::wstring& driver) {
  typedef BOOLEAN(WINAPI * EnableRedirection)(BOOLEAN);
  EnableRedirection enable = nullptr;
  if (sizeof(void*) == 4) {
    enable = reinterpret_cast<EnableRedirection>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "Wow64EnableWow64FsRedirection")));
  }
  if (enable)
    enable(FALSE);
  DeleteFileW(driver.c_str());
  if (enable)
    enable(TRUE);
}

void DeleteOrScheduleFile(const std::wstring& path, const char* reboot_line) {
  if (!setup_util::IsFile(path))
    return;
  if (!setup_util::DeletePath(path)) {
    LOG(INFO) << reboot_line;
    setup_util::DeleteAtRestart(path);
  }
}

void RunWardenUninstallCommand(const std::wstring& program,
                               const wchar_t* switches,
                               const char* exit_code_line) {
  const setup_util::WardenCommandLines lines = {nullptr, "wait warden exit timeout!",
                                                exit_code_line, false};
  setup_util::RunWardenCommand(program, switches, setup_util::kWardenLongWaitMs, lines);
}

void DoDeleteWardenFiles(const std::wstring& install) {
  int count = setup_util::WardenProductCount();
  LOG(INFO) << "doDeleteWardenFiles(), product count: " << count;
  if (!setup_util::IsLastWardenProduct(count)) {
    LOG(INFO) << "doDeleteWardenFiles returned, no delete, there's still other product:" << count;
    return;
  }
  // Install-relative items need an installation directory, never the current folder.
  if (!install.empty())
    setup_util::DeleteTree(install + L"\\Bin\\Warden", true);

  const std::wstring common = setup_util::CommonProgramFilesFolder();
  const std::wstring program = common + L"\\Corvane\\Warden\\Bin\\Warden.exe";
  if (count == 1) {
    LOG(INFO) << "remove wardencore: " << setup_util::StopAndDeleteWardenCoreService();
    LOG(INFO) << "/utwardencore /3";
    LOG(INFO) << "UnInstall(" << base::WideToUTF8(program) << ").\n";
    RunWardenUninstallCommand(program, L"/3 /utwardencore", "/3 /utwardencore: ");
    LOG(INFO) << "/qd unload /3";
    RunWardenUninstallCommand(program, L"/3 /qd unload", "/qd unload: ");
  }
  if (!common.empty())
    setup_util::DeleteTree(common + L"\\Corvane\\Warden", true);

  const std::wstring common_data = setup_util::GetShellFolderPath(CSIDL_COMMON_APPDATA);
  if (!common_data.empty()) {
    const std::wstring sieve = common_data + L"\\Corvane\\Warden\\Sieve";
    DeleteEachFile(sieve, {L"SieveEngine.dll", L"config.dat", L"sig.dat", L"FenLSig.dat"});
    DeleteEachFile(sieve + L"\\Bin", {L"SieveEngine.dll", L"FenLogic.dll"});
    DeleteEachFile(sieve + L"\\Misc\\Sieve", {L"config.dat", L"sig.dat", L"FenLSig.dat"});
    RemoveDirectoryW((sieve + L"\\Misc\\Sieve").c_str());
    RemoveDirectoryW((sieve + L"\\Misc").c_str());
    setup_util::DeleteTree(common_data + L"\\Corvane\\Warden\\AuTemp", true);
    DeleteFileW((common_data + L"\\Corvane\\Warden\\atf.dat").c_str());
  }

  const std::wstring drivers = SystemFolder() + L"\\drivers\\";
  if (setup_util::IsWindows64Bit()) {
    DeleteNativeDriver(drivers + L"WardenX64.sys");
    DeleteServiceKey(L"WardenX64");
  } else {
    DeleteFileW((drivers + L"Warden.sys").c_str());
    DeleteFileW((drivers + L"PelicanFrmMgr.sys").c_str());
    DeleteServiceKey(L"Warden");
    DeleteServiceKey(L"PelicanFrmMgr");
  }

  const std::wstring roaming = setup_util::GetShellFolderPath(CSIDL_APPDATA);
  if (!roaming.empty()) {
    const std::wstring phishing = roaming + L"\\Corvane\\Pelican\\PelicanAntiPhishing";
    DeleteOrScheduleFile(phishing + L"\\vorurllib.bin", "delete vorurllib.bin after reboot!");
    const std::wstring keepwell = phishing + L"\\Keepwell.dll";
    if (setup_util::IsFile(keepwell)) {
      std::wstring command =
          L"\"" + SystemFolder() + L"\\regsvr32.exe\" /s /u \"" + keepwell + L"\"";
      STARTUPINFOW startup = {};
      startup.cb = sizeof(startup);
      PROCESS_INFORMATION info = {};
      if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info)) {
        WaitForSingleObject(info.hProcess, 2000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
      }
      DeleteOrScheduleFile(keepwell, "delete Keepwell.dll after reboot!");
    }
  }

  const std::wstring clsid = kKeepwellClsid;
  SHDeleteKeyW(HKEY_CLASSES_ROOT, L"Keepwell.KeepwellBHO");
  SHDeleteKeyW(HKEY_CLASSES_ROOT, L"Keepwell.KeepwellBHO.1");
  SHDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid).c_str());
  SHDeleteKeyW(
      HKEY_LOCAL_MACHINE,
      (L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" + clsid)
          .c_str());
  SHDeleteKeyW(HKEY_CURRENT_USER,
               (L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\" + clsid).c_str());
  SHDeleteKeyW(HKEY_CURRENT_USER,
               (L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\" + clsid).c_str());

  if (!roaming.empty()) {
    const std::wstring sieve = roaming + L"\\Corvane\\Pelican\\Warden\\Sieve\\";
    const struct {
      const wchar_t* file;
      const char* line;
    } kUserSieve[] = {{L"SieveEngine.dll", "delete SieveEngine.dll "},
                      {L"config.dat", "delete config.dat "},
                      {L"sig.dat", "delete sig.dat failed!"},
                      {L"FenLSig.dat", "delete FenLSig.dat failed!"}};
    for (const auto& item : kUserSieve)
      LOG(INFO) << item.line << (DeleteFileW((sieve + item.file).c_str()) != FALSE);
  }
}

}  // namespace

void DeleteWardenFiles::Run(task_object::RuntimeObject*) {
  std::wstring install;
  std::string install_type;
  bool result = SetupContext::GetWStringValue("PreviousInstallPath", &install);
  DCHECK(result);
  result = SetupContext::GetStringValue("PreviousInstallType", &install_type);
  DCHECK(result);
  LOG(ERROR) << "previous_install_path:  " << base::WideToUTF8(install);
  LOG(ERROR) << "previous_installt_type: " << install_type;
  if (install_type != "NewSetup") {
    DCHECK(false);
    return;
  }
  DoDeleteWardenFiles(setup_util::NormalizePath(install));
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::DeleteWardenFiles, DeleteWardenFiles)
