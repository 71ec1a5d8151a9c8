#include "tern_test/process.h"

#include <vector>

namespace tern_test {

std::wstring QuoteArg(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
    return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless they precede a quote.
    if (c == L'"')
      out.append(backslashes * 2 + 1, L'\\');
    else
      out.append(backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

ScopedProcess::~ScopedProcess() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 0xDEAD);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
}

bool ScopedProcess::Start(const std::wstring& exe, const std::wstring& args) {
  std::wstring line = QuoteArg(exe);
  if (!args.empty())
    line += L" " + args;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool ScopedProcess::Wait(DWORD timeout_ms, DWORD* exit_code) {
  if (!process_ || WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0)
    return false;
  if (exit_code)
    GetExitCodeProcess(process_, exit_code);
  return true;
}

ProcessResult RunProcess(const std::wstring& exe, const std::wstring& args, DWORD timeout_ms) {
  ProcessResult result;
  ScopedProcess process;
  if (!process.Start(exe, args))
    return result;
  result.started = true;
  if (!process.Wait(timeout_ms, &result.exit_code))
    result.timed_out = true;
  return result;
}

std::wstring ExeDir() {
  wchar_t path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring dir(path, n);
  size_t slash = dir.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : dir.substr(0, slash);
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return std::string();
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
    bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  CloseHandle(file);
  return ok;
}

}  // namespace tern_test
