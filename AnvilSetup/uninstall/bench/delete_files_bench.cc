// DeleteFiles on a description that lists 10,000 files in 300 folders, next to the floor of
// "cmd /c rd /s /q" on an identical tree, in the same run. Prints milliseconds for each.
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/at_exit.h"
#include "base/logging.h"
#include "base/utf_string_conversions.h"
#include "setup/setup_context.h"
#include "uninstall/delete_files.h"
#include "util/removal_util_win.h"

namespace {

const int kFolders = 300;
const int kFilesPerFolder = 34;  // 10,200 files

std::wstring TempRoot() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"delete_files_bench_" + std::to_wstring(GetCurrentProcessId());
}

// Builds the tree; returns the description's <Files> body when `description` is given.
void BuildTree(const std::wstring& root, std::string* description) {
  CreateDirectoryW(root.c_str(), nullptr);
  for (int folder = 0; folder < kFolders; ++folder) {
    std::wstring dir = root + L"\\f" + std::to_wstring(folder);
    CreateDirectoryW(dir.c_str(), nullptr);
    for (int file = 0; file < kFilesPerFolder; ++file) {
      std::wstring path = dir + L"\\file" + std::to_wstring(file) + L".dat";
      HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
      DWORD written = 0;
      WriteFile(handle, "0123456789abcdef", 16, &written, nullptr);
      CloseHandle(handle);
      if (description)
        *description += "<File path=\"" + base::WideToUTF8(path) + "\"/>";
    }
  }
  if (description) {
    for (int folder = 0; folder < kFolders; ++folder)
      *description +=
          "<Dir path=\"" + base::WideToUTF8(root + L"\\f" + std::to_wstring(folder)) + "\"/>";
  }
}

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain() {
  base::AtExitManager at_exit;
  logging::LoggingSettings settings;
  settings.to_debugger = false;
  logging::InitLogging(settings);
  const std::wstring base = TempRoot();
  CreateDirectoryW(base.c_str(), nullptr);

  // Floor: the shell's own recursive delete of an identical tree.
  const std::wstring floor_tree = base + L"\\floor";
  BuildTree(floor_tree, nullptr);
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  std::wstring command = L"cmd /c rd /s /q \"" + floor_tree + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                     nullptr, &startup, &info)) {
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  QueryPerformanceCounter(&end);
  const double floor_ms = Milliseconds(start, end);
  const bool floor_clean = !setup_util::PathExists(floor_tree);

  const std::wstring install = base + L"\\Tern";
  std::string files;
  BuildTree(install, &files);
  std::string xml =
      "<Uninstall><Version versionnum=\"1.0\"/><Files>" + files + "</Files></Uninstall>";
  HANDLE description = CreateFileW((install + L"\\Uninstall.xml").c_str(), GENERIC_WRITE, 0,
                                   nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(description, xml.data(), static_cast<DWORD>(xml.size()), &written, nullptr);
  CloseHandle(description);
  SetupContext::SetStringValue("PreviousInstallType", "NewSetup");
  SetupContext::SetWStringValue("PreviousInstallPath", install);

  QueryPerformanceCounter(&start);
  uninstall::DeleteFiles().Run(nullptr);
  QueryPerformanceCounter(&end);
  const double task_ms = Milliseconds(start, end);
  bool task_clean = true;
  for (int folder = 0; folder < kFolders && task_clean; ++folder)
    task_clean = !setup_util::PathExists(install + L"\\f" + std::to_wstring(folder));

  std::wstring parked;
  SetupContext::GetWStringValue("DeleteFileTempPath", &parked);
  if (!parked.empty())
    setup_util::DeleteTree(parked, true);
  setup_util::DeleteTree(base, true);

  printf("files: %d in %d folders\n", kFolders * kFilesPerFolder, kFolders);
  printf("DeleteFiles (move aside, delete, %d Dir entries): %.1f ms%s\n", kFolders, task_ms,
         task_clean ? "" : " (tree NOT removed)");
  printf("floor, cmd /c rd /s /q (process start included): %.1f ms%s\n", floor_ms,
         floor_clean ? "" : " (tree NOT removed)");
  printf("ratio: %.2f\n", task_ms / floor_ms);
  return task_clean && floor_clean ? 0 : 1;
}
