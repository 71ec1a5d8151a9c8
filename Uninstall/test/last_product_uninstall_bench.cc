// Benchmark, not a test: wall time of a whole last-product uninstall of a small simulated
// installation (client key, Uninstall.xml with files and folders), answering the boxes as a
// user would, with each runtime object's start offset from the log, next to the floor of
// a bare process start and exit. Writes the prefix's real HKLM\SOFTWARE\Corvane\Tern and
// removes it again; run it alone: bin/last_product_uninstall_bench.exe
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "dialog_driver.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace {

std::wstring LogFile() {
  wchar_t appdata[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appdata);
  return std::wstring(appdata) + L"\\Corvane\\Logs\\pelican_uninstall.log";
}

std::string Utf8(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool SimulateInstallation(const std::wstring& install) {
  std::string files;
  CreateDirectoryW((install + L"\\Bin").c_str(), nullptr);
  for (int i = 0; i < 20; ++i) {
    std::wstring file = install + L"\\Bin\\module" + std::to_wstring(i) + L".dll";
    tern_test::WriteFileBytes(file, std::string(4096, 'x'));
    files += "<File path=\"" + Utf8(file) + "\"/>";
  }
  std::string xml = "<?xml version=\"1.0\"?><Uninstall><Version versionnum=\"1.0\"/><Files>" +
                    files + "<Dir path=\"" + Utf8(install + L"\\Bin") + "\"/></Files></Uninstall>";
  if (!tern_test::WriteFileBytes(install + L"\\Uninstall.xml", xml))
    return false;
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\Tern", 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  SetString(key, L"Install", install);
  SetString(key, L"version", L"9.1.2");
  DWORD one = 1;
  RegSetValueExW(key, L"AnvilSetup2012", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                 sizeof(one));
  RegCloseKey(key);
  return true;
}

}  // namespace

int wmain() {
  tern_test::ScopedTempDir install, program;
  if (!SimulateInstallation(install.path())) {
    std::printf("could not simulate the installation\n");
    return 1;
  }
  std::wstring exe = program.Join(L"Uninstall.exe");
  CopyFileW((tern_test::ExeDir() + L"\\Uninstall.exe").c_str(), exe.c_str(), FALSE);
  size_t log_start = tern_test::ReadFileBytes(LogFile()).size();

  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  tern_test::ScopedProcess uninstaller;
  if (!uninstaller.Start(exe, L""))
    return 1;
  HWND box = dialog_driver::WaitForBox(uninstaller.pid(), L"提示", 30000);
  if (box)
    dialog_driver::Press(box, IDYES);
  box = dialog_driver::WaitForBox(uninstaller.pid(), L"Tern卸载", 120000);
  if (box)
    dialog_driver::Press(box, IDOK);
  DWORD code = 0;
  bool exited = uninstaller.Wait(120000, &code);
  QueryPerformanceCounter(&end);
  SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\Tern");
  double whole_ms = 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
                    static_cast<double>(frequency.QuadPart);

  // Floor: a bare process start and exit.
  QueryPerformanceCounter(&begin);
  tern_test::RunProcess(tern_test::ExeDir() + L"\\companion_uninstaller.exe", L"");
  QueryPerformanceCounter(&end);
  double floor_ms = 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
                    static_cast<double>(frequency.QuadPart);

  std::printf("whole last-product uninstall: %.1f ms (exit %s %lu)\n", whole_ms,
              exited ? "code" : "timed out,", code);
  std::printf("floor, one bare process start and exit: %.1f ms\n", floor_ms);
  // Start offsets of the runtime objects, from the tick count in each log line.
  std::string log = tern_test::ReadFileBytes(LogFile()).substr(log_start);
  std::istringstream lines(log);
  const std::string prefix = "[" + std::to_string(uninstaller.pid()) + ":";
  unsigned long long first = 0;
  for (std::string line; std::getline(lines, line);) {
    size_t marker = line.find("] Start runtime object ");
    if (line.compare(0, prefix.size(), prefix) != 0 || marker == std::string::npos)
      continue;
    // [pid:tid:MMDD/HHMMSS:tick:SEVERITY:...
    size_t tick_begin = line.find(':', line.find('/')) + 1;
    unsigned long long tick = std::stoull(line.substr(tick_begin));
    if (first == 0)
      first = tick;
    std::printf("  +%6llu ms  %s\n", tick - first, line.substr(marker + 23).c_str());
  }
  return exited ? 0 : 1;
}
