// Small helpers of the custom-action and shell tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tern_test/scoped_temp_dir.h"

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

// Saves a shell link at `link` pointing to `target`; COM must be initialised on this thread.
bool MakeShortcut(const std::wstring& link, const std::wstring& target);

// Splits UTF-16 text into its lines (each ended by a line feed).
std::vector<std::wstring> Lines(const std::wstring& text);

// The pin list stand-in registered under the start-menu pin list's class id, recording the
// items asked to be removed (also by programs this process starts) in a scratch file.
class ScopedPinList {
 public:
  ScopedPinList();
  ~ScopedPinList();
  ScopedPinList(const ScopedPinList&) = delete;
  ScopedPinList& operator=(const ScopedPinList&) = delete;
  bool ok() const { return ok_; }
  std::vector<std::wstring> Removed() const;

 private:
  tern_test::ScopedTempDir dir_;
  std::wstring record_;
  bool ok_ = false;
};

}  // namespace finish_test
