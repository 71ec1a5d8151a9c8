// Helpers of the removal tests: real folders and files, the session manager's pending renames,
// a file held open by another process, a mapped second drive letter and the stand-in firewall
// manager registered under the system's class id.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace removal_test {

// Creates the folder and its parents.
bool MakeDirs(const std::wstring& path);
// Writes `text` to `path`, creating the parent folders.
bool WriteText(const std::wstring& path, const std::string& text = "x");
bool Exists(const std::wstring& path);
std::vector<std::string> ReadLines(const std::wstring& path);

// Sources registered for deletion at restart (empty destination), without the "\??\" prefix,
// in registration order; and the renames (source, destination) likewise.
std::vector<std::wstring> PendingDeletes();
std::vector<std::pair<std::wstring, std::wstring>> PendingRenames();
// Drops every pending operation whose source lies under `folder`.
void ForgetPendingUnder(const std::wstring& folder);

// Empties the pending renames for the object's lifetime and puts the saved list back after,
// so each test sees only what it registered itself.
class ScopedPendingRenames {
 public:
  ScopedPendingRenames();
  ~ScopedPendingRenames();
  ScopedPendingRenames(const ScopedPendingRenames&) = delete;
  ScopedPendingRenames& operator=(const ScopedPendingRenames&) = delete;

 private:
  std::string saved_;
  bool had_value_ = false;
};

// A file kept open by a helper process without delete sharing (delete and rename fail with 32).
class LockedFile {
 public:
  explicit LockedFile(const std::wstring& path);
  bool locked() const { return locked_; }

 private:
  tern_test::ScopedProcess holder_;
  bool locked_ = false;
};

// A running copy of the Warden stand-in named `exe_path` that hangs until ended.
class RunningProgram {
 public:
  explicit RunningProgram(const std::wstring& exe_path);
  bool running() const;
  // Waits up to 10 s for the exit.
  bool Ended();

 private:
  tern_test::ScopedProcess process_;
};

// Maps a free drive letter to a fresh folder through the prefix's dosdevices link.
class SecondDrive {
 public:
  SecondDrive();
  ~SecondDrive();
  bool ok() const { return !root_.empty(); }
  // "M:\"
  const std::wstring& root() const { return root_; }
  // Why the mapping failed.
  const std::string& error() const { return error_; }

 private:
  std::wstring root_;
  std::string error_;
  std::string link_;
  tern_test::ScopedTempDir target_;
};

// The stand-in firewall manager registered under {304CE942-...} for the object's lifetime,
// from a private copy whose list of authorised applications starts as `authorized`.
class ScopedFirewallStandIn {
 public:
  explicit ScopedFirewallStandIn(const std::vector<std::wstring>& authorized);
  ~ScopedFirewallStandIn();
  bool ok() const { return ok_; }
  std::vector<std::string> Removals() const;
  std::vector<std::string> Authorized() const;

 private:
  tern_test::ScopedTempDir dir_;
  std::wstring previous_;
  bool had_previous_ = false;
  bool ok_ = false;
};

std::string Utf8(const std::wstring& text);

}  // namespace removal_test
