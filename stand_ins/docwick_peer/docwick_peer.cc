// Stand-in Docwick.exe: writes its full command line (UTF-8) to the file named by the
// environment variable DOCWICK_PEER_RECORD and exits 0. The file appears complete or not at all.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t target[MAX_PATH * 2] = {};
  DWORD n = GetEnvironmentVariableW(L"DOCWICK_PEER_RECORD", target, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2)
    return 2;
  const wchar_t* line = GetCommandLineW();
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line, -1, &utf8[0], bytes, nullptr, nullptr);
  utf8.resize(utf8.size() - 1);

  const std::wstring temp = std::wstring(target) + L".part";
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 3;
  DWORD written = 0;
  BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != utf8.size())
    return 4;
  return MoveFileExW(temp.c_str(), target, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
