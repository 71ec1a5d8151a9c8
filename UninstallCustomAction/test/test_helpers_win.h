// Small helpers of the custom-action and shell tests.
#pragma once

#include <windows.h>

#include <string>

namespace finish_test {

// Waits (bounded) until `path` holds at least one byte; its UTF-16 text, or empty.
std::wstring WaitForUtf16File(const std::wstring& path, DWORD timeout_ms);
std::wstring ReadUtf16File(const std::wstring& path);
// Sets HKCU\Software\Wine "Version" (empty: deletes it) for processes started afterwards.
bool SetWineVersion(const std::wstring& version);
// Runs the task probe with a command-line tail; its exit code, or -1.
int RunTaskProbe(const std::wstring& args);
bool SetString(HKEY root,
               const std::wstring& key,
               const wchar_t* name,
               const std::wstring& value,
               REGSAM view = 0,
               DWORD type = REG_SZ);

}  // namespace finish_test
