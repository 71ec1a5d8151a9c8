// A client installation laid down in the Wine prefix the way the installer leaves it: the
// product keys, Uninstall.xml with its files, folders, COM servers, programs and keys, the
// protection component (Warden stand-in, a running WardenCore service, its product list),
// companions, shortcuts and pins, MuiCache values, caches and browser plug-ins, maker
// processes running, the statistics server on loopback, and a sentinel tree of unrelated
// things beside it. Everything is listed as items whose state can be read before and after
// an uninstall; the destructor removes whatever is left, and the pending renames are put back.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tern_test/process.h"

namespace uninstall_scenario {

enum class Group {
  kClient,     // the client's own: the uninstall removes it
  kComponent,  // the protection component: removed only with the last product using it
  kCompanion,  // a companion or module program: handed its own uninstall
  kSentinel,   // unrelated: must be untouched
};

enum class State { kPresent, kGone, kScheduled };

struct Item {
  Group group;
  std::string label;  // UTF-8
  // Whether the item is still as installed (a pin still pinned, a companion not yet started).
  std::function<bool()> present;
  // A file or folder, also looked for among the deletions registered for restart.
  std::wstring path;
};

struct Options {
  bool other_product = false;               // Pelican2009 also uses the protection component
  std::string warden_behaviour;             // the Warden stand-in's rules, "<switches>=hang"
  bool companion_uninstallers = true;       // Plume's uninst.exe and minidl.exe are present
  std::string stats_replies = "RESULT: 1";  // the statistics server's answers
};

class SimulatedInstallation {
 public:
  explicit SimulatedInstallation(const Options& options = Options());
  ~SimulatedInstallation();
  SimulatedInstallation(const SimulatedInstallation&) = delete;
  SimulatedInstallation& operator=(const SimulatedInstallation&) = delete;

  // Lays everything down and starts the processes; false with error() telling what failed.
  bool Create();
  const std::string& error() const { return error_; }

  const std::wstring& install_dir() const { return install_; }
  // <install>\Uninstall.exe, where the user starts it.
  std::wstring uninstaller() const { return install_ + L"\\Uninstall.exe"; }
  // <install>\Bin\Tern.exe: a client that counts as the maker's when started.
  std::wstring client() const { return install_ + L"\\Bin\\Tern.exe"; }
  const std::vector<Item>& items() const { return items_; }
  State StateOf(const Item& item) const;
  // Files and folders left under the installation folder, deepest first.
  std::vector<std::wstring> LeftInInstallDir() const;

  // Switches of every Warden.exe run since Create(), in order.
  std::vector<std::string> WardenCalls() const;
  // The command lines the companion and module uninstallers were started with.
  std::vector<std::wstring> CompanionStarts() const;
  // The requests the statistics server received, in order.
  std::vector<std::string> StatsRequests() const;

 private:
  struct Parts;
  bool Fail(const std::string& what);
  bool LayDownClient();
  bool LayDownComponent();
  bool LayDownShell();
  bool LayDownCompanions();
  bool LayDownSentinels();
  bool WriteDescription();
  bool StartProcesses();
  void AddFile(Group group, const std::wstring& path, const std::string& bytes = "x");
  void AddKey(Group group, HKEY root, const std::wstring& root_name, const std::wstring& key);
  void AddValue(Group group,
                HKEY root,
                const std::wstring& key,
                const std::wstring& name,
                const std::wstring& data,
                DWORD type = REG_SZ);
  void AddProcess(Group group, const std::wstring& exe);

  Options options_;
  std::unique_ptr<Parts> parts_;
  std::string error_;
  std::wstring install_, sentinel_dir_, program_files_, common_files_;
  std::vector<Item> items_;
  // Description entries, in the order the installer wrote them.
  std::vector<std::wstring> listed_files_, listed_dirs_;
  // Everything made outside the installation folder, removed on destruction.
  std::vector<std::wstring> made_files_, made_dirs_;
  struct MadeKey {
    HKEY root;
    std::wstring key;
    REGSAM view;
  };
  struct MadeValue {
    HKEY root;
    std::wstring key, name;
  };
  std::vector<MadeKey> made_keys_;
  std::vector<MadeValue> made_values_;
  std::vector<std::wstring> companions_;
  std::vector<std::unique_ptr<tern_test::ScopedProcess>> processes_;
};

const char* GroupName(Group group);
const char* StateName(State state);

}  // namespace uninstall_scenario
