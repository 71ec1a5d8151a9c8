#include "test_helpers_win.h"

#include "tern_test/process.h"

namespace finish_test {

std::wstring ReadUtf16File(const std::wstring& path) {
  std::string bytes = tern_test::ReadFileBytes(path);
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

std::wstring WaitForUtf16File(const std::wstring& path, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    std::wstring text = ReadUtf16File(path);
    if (!text.empty() || GetTickCount() - start > timeout_ms)
      return text;
    Sleep(20);
  }
}

bool SetWineVersion(const std::wstring& version) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG result;
  if (version.empty()) {
    result = RegDeleteValueW(key, L"Version");
    if (result == ERROR_FILE_NOT_FOUND)
      result = ERROR_SUCCESS;
  } else {
    result =
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

int RunTaskProbe(const std::wstring& args) {
  tern_test::ProcessResult result =
      tern_test::RunProcess(tern_test::ExeDir() + L"\\uninstall_task_probe.exe", args, 60000);
  return result.started && !result.timed_out ? static_cast<int>(result.exit_code) : -1;
}

bool SetString(HKEY root,
               const std::wstring& key_name,
               const wchar_t* name,
               const std::wstring& value,
               REGSAM view,
               DWORD type) {
  HKEY key;
  if (RegCreateKeyExW(root, key_name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG result = RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace finish_test
