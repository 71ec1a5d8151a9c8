#include "companion_launch_win.h"

#include <windows.h>

#include <vector>

#include "base/scoped_handle_win.h"

namespace uninstall {

bool CompanionFileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool StartCompanionDetached(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring command_line = L"\"" + exe + L"\" " + arguments;
  std::vector<wchar_t> buffer(command_line.begin(), command_line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  base::ScopedHandle process(info.hProcess);
  base::ScopedHandle thread(info.hThread);
  return true;
}

}  // namespace uninstall
