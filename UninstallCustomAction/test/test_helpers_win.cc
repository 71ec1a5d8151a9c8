#include "test_helpers_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

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

bool MakeShortcut(const std::wstring& link, const std::wstring& target) {
  IShellLinkW* shell_link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell_link)))) {
    return false;
  }
  IPersistFile* file = nullptr;
  bool ok =
      SUCCEEDED(shell_link->SetPath(target.c_str())) &&
      SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Save(link.c_str(), TRUE));
  if (file)
    file->Release();
  shell_link->Release();
  return ok;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

namespace {
const wchar_t kPinClsidKey[] = L"CLSID\\{A2A9545D-A0C2-42B4-9708-A0B2BADD77C8}";
}

ScopedPinList::ScopedPinList() {
  record_ = dir_.Join(L"pins.txt");
  SetEnvironmentVariableW(L"TERN_PIN_LIST_RECORD", record_.c_str());
  std::wstring server = std::wstring(kPinClsidKey) + L"\\InprocServer32";
  ok_ = SetString(HKEY_CLASSES_ROOT, server, nullptr, tern_test::ExeDir() + L"\\pin_list.dll") &&
        SetString(HKEY_CLASSES_ROOT, server, L"ThreadingModel", L"Apartment");
}

ScopedPinList::~ScopedPinList() {
  SHDeleteKeyW(HKEY_CLASSES_ROOT, kPinClsidKey);
  SetEnvironmentVariableW(L"TERN_PIN_LIST_RECORD", nullptr);
}

std::vector<std::wstring> ScopedPinList::Removed() const {
  return Lines(ReadUtf16File(record_));
}

}  // namespace finish_test
