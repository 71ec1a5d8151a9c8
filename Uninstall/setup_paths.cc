#include "setup_paths.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <ctime>

#include "base/logging.h"
#include "base/utf_string_conversions.h"
#include "setup/setup_context.h"

namespace {

bool IsDirectory(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A file in the way is deleted first (non-recursive); false when the folder is missing.
bool EnsureDirectory(const std::wstring& path) {
  if (IsDirectory(path))
    return true;
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    DeleteFileW(path.c_str());
  SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  return IsDirectory(path);
}

bool CreateFallbackTempFolder(std::wstring* folder) {
  wchar_t temp[MAX_PATH];
  DWORD length = GetTempPathW(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH)
    return false;
  srand(static_cast<unsigned>(time(nullptr)));
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::wstring candidate =
        std::wstring(temp) + L"pelican_setup_temp" + std::to_wstring(rand() % 32767);
    if (!CreateDirectoryW(candidate.c_str(), nullptr))
      continue;
    wchar_t long_path[MAX_PATH * 2];
    DWORD long_length = GetLongPathNameW(candidate.c_str(), long_path, MAX_PATH * 2);
    if (long_length == 0 || long_length >= MAX_PATH * 2)
      return false;
    folder->assign(long_path, long_length);
    return true;
  }
  return false;
}

}  // namespace

void InitSetupPaths() {
  wchar_t appdata[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appdata);
  InitSetupPathsUnder(appdata);
}

void InitSetupPathsUnder(const std::wstring& appdata) {
  SetupContext::SetWStringValue("AppdataPath", appdata);
  const std::wstring log_path = appdata + L"\\Corvane\\Logs";
  SetupContext::SetWStringValue("LogPath", log_path);
  EnsureDirectory(log_path);

  std::wstring temp_path = appdata + L"\\Corvane\\Tern\\STemp";
  if (!EnsureDirectory(temp_path)) {
    if (!CreateFallbackTempFolder(&temp_path)) {
      LOG(ERROR) << "创建windows的临时目录失败";
      return;
    }
    SetupContext::SetIntValue("HasCreateWindowsTemp", 1);
  }
  SetupContext::SetWStringValue("SetupTempPath", temp_path);

  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  SetupContext::SetWStringValue("SystemPath", system);
}

void InitUninstallLogging(const base::CommandLine& command_line) {
  std::wstring log_path;
  SetupContext::GetWStringValue("LogPath", &log_path);
  logging::LoggingSettings settings;
  settings.log_file = base::WideToUTF8(log_path + L"\\pelican_uninstall.log");
  settings.to_file = true;
  settings.to_debugger = true;
  settings.delete_old_file = false;
  settings.lock_across_processes = true;
  settings.enable_dchecks = false;
  logging::InitLogging(settings);
  logging::SetLogItems(true, true, true, true);
  if (command_line.HasSwitch("v"))
    logging::SetVerbosity(std::atoi(command_line.GetSwitchValueASCII("v").c_str()));
  if (command_line.HasSwitch("vmodule"))
    logging::SetVModule(command_line.GetSwitchValueASCII("vmodule"));
}
