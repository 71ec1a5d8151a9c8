// bugreport.exe stand-in: reads the crash block out of the crashed process through the handles
// on its command line, records what it got, and signals the crashed process's event.
// Command line: bugreport /buginfo:<event>:<process>:<block address>:<process id>
// Output: the file named by the environment variable TERN_BUGREPORT_OUT (text) and the same
// name + ".bin" (the raw block), and one line per run appended to the name + ".runs"; nothing
// is written when the variable is unset.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

bool ParseHex(const wchar_t* text, size_t length, ULONG_PTR* value) {
  if (length == 0 || length > sizeof(ULONG_PTR) * 2)
    return false;
  ULONG_PTR v = 0;
  for (size_t i = 0; i < length; ++i) {
    wchar_t c = text[i];
    int digit = (c >= L'0' && c <= L'9')   ? c - L'0'
                : (c >= L'A' && c <= L'F') ? c - L'A' + 10
                : (c >= L'a' && c <= L'f') ? c - L'a' + 10
                                           : -1;
    if (digit < 0)
      return false;
    v = (v << 4) | static_cast<ULONG_PTR>(digit);
  }
  *value = v;
  return true;
}

void WriteFileBytes(const std::wstring& path, const void* data, size_t length) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(file, data, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int wmain() {
  std::wstring line = GetCommandLineW();
  size_t at = line.find(L"/buginfo:");
  if (at == std::wstring::npos)
    return 2;
  // Four colon-separated fields: three hexadecimal handles/addresses and a decimal id.
  std::vector<std::wstring> fields;
  size_t start = at + 9;
  for (;;) {
    size_t colon = line.find(L':', start);
    size_t end = colon == std::wstring::npos ? line.find_first_of(L" \t", start) : colon;
    fields.push_back(
        line.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (colon == std::wstring::npos)
      break;
    start = colon + 1;
  }
  ULONG_PTR event = 0, process = 0, block = 0;
  if (fields.size() != 4 || !ParseHex(fields[0].c_str(), fields[0].size(), &event) ||
      !ParseHex(fields[1].c_str(), fields[1].size(), &process) ||
      !ParseHex(fields[2].c_str(), fields[2].size(), &block))
    return 3;
  unsigned long pid = std::wcstoul(fields[3].c_str(), nullptr, 10);

  SIZE_T block_bytes = 0x600 + sizeof(EXCEPTION_RECORD) + sizeof(CONTEXT);
#ifndef _WIN64
  block_bytes = 1528;
#endif
  std::vector<unsigned char> bytes(block_bytes);
  SIZE_T got = 0;
  BOOL read =
      ReadProcessMemory(reinterpret_cast<HANDLE>(process), reinterpret_cast<const void*>(block),
                        bytes.data(), bytes.size(), &got);

  using GetProcessIdFn = DWORD(WINAPI*)(HANDLE);
  auto get_process_id = reinterpret_cast<GetProcessIdFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetProcessId")));
  DWORD handle_pid = get_process_id ? get_process_id(reinterpret_cast<HANDLE>(process)) : 0;

  wchar_t out_path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TERN_BUGREPORT_OUT", out_path, MAX_PATH) > 0) {
    char text[2048];
    std::string narrow_line;
    for (wchar_t c : line)
      narrow_line.push_back(c < 128 ? static_cast<char>(c) : '?');
    std::snprintf(text, sizeof(text),
                  "command_line=%s\npid=%lu\nhandle_pid=%lu\nblock=%llx\nread=%d\nread_bytes=%lu\n",
                  narrow_line.c_str(), pid, static_cast<unsigned long>(handle_pid),
                  static_cast<unsigned long long>(block), read ? 1 : 0,
                  static_cast<unsigned long>(got));
    WriteFileBytes(out_path, text, std::strlen(text));
    // One line per run, so a test can tell how often the reporter was started.
    HANDLE runs = CreateFileW((std::wstring(out_path) + L".runs").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (runs != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(runs, "run\n", 4, &written, nullptr);
      CloseHandle(runs);
    }
    WriteFileBytes(std::wstring(out_path) + L".bin", bytes.data(), got);
  }
  SetEvent(reinterpret_cast<HANDLE>(event));
  return 0;
}
