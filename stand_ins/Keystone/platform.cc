// Platform start-up and shut-down: the platform file, the language strings, the main and logic
// loops. The platform file holds "key=value" lines; "strings" names the language file (relative
// to the platform file's folder) whose "Key=Text" lines KSLoadString serves.
#include "keystone.h"

#include <map>
#include <string>

namespace {

std::wstring g_config_dir;
std::map<std::wstring, std::wstring> g_config;
std::map<std::wstring, std::wstring> g_strings;
bool g_platform = false;
spool::MessageLoop* g_main_loop = nullptr;
spool::MessageLoop* g_logic_loop = nullptr;
DWORD g_main_thread = 0;
DWORD g_logic_thread = 0;

bool ReadUtf8Lines(const std::wstring& path, std::map<std::wstring, std::wstring>* out) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got)
    bytes.append(chunk, got);
  CloseHandle(file);
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    bytes.erase(0, 3);
  std::wstring text = ks::FromUtf8(bytes);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(L'\n', pos);
    if (end == std::wstring::npos)
      end = text.size();
    std::wstring line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == L'\r')
      line.pop_back();
    size_t eq = line.find(L'=');
    if (line.empty() || line[0] == L'#' || eq == std::wstring::npos)
      continue;
    (*out)[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return true;
}

int CopyOut(const std::wstring& text, wchar_t* out, int capacity) {
  int n = static_cast<int>(text.size());
  if (out && n < capacity) {
    text.copy(out, n);
    out[n] = L'\0';
  }
  return n;
}

}  // namespace

KS_API int GetExeDir(wchar_t* out, int capacity) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0)
      return 0;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return CopyOut(path.substr(0, path.find_last_of(L'\\')), out, capacity);
}

KS_API int GetParentDir(const wchar_t* dir, wchar_t* out, int capacity) {
  std::wstring path = dir ? dir : L"";
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
    path.pop_back();
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash == 0)
    return 0;
  return CopyOut(path.substr(0, slash), out, capacity);
}

KS_API BOOL InitPlatform(const wchar_t* config_path) {
  g_config.clear();
  if (!config_path || !ReadUtf8Lines(config_path, &g_config))
    return FALSE;
  std::wstring path = config_path;
  g_config_dir = path.substr(0, path.find_last_of(L"\\/"));
  g_platform = true;
  return TRUE;
}

KS_API BOOL InitPlatformI18NConfig() {
  if (!g_platform)
    return FALSE;
  g_strings.clear();
  auto it = g_config.find(L"strings");
  // A platform without a language file runs with the callers' fallback texts.
  return it == g_config.end() || ReadUtf8Lines(g_config_dir + L"\\" + it->second, &g_strings);
}

KS_API BOOL InitPlatformFileSystem() {
  return g_platform;
}
KS_API BOOL InitPlatformCoreConfig() {
  return g_platform;
}
KS_API BOOL InitPlatformModeConfig() {
  return g_platform;
}
KS_API BOOL InitNetwork() {
  return g_platform;
}
KS_API BOOL InitPlatformLatticeConfig() {
  return g_platform;
}

KS_API void SetMainAndLogicMsgLoop(spool::MessageLoop* main_loop, spool::MessageLoop* logic_loop) {
  g_main_loop = main_loop;
  g_logic_loop = logic_loop;
}

KS_API void SetMainAndLogicThreadId(DWORD main_thread, DWORD logic_thread) {
  g_main_thread = main_thread;
  g_logic_thread = logic_thread;
}

KS_API spool::MessageLoop* GetMainThreadLoop() {
  return g_main_loop;
}

KS_API void OnExitCoreCenter() {
  g_logic_loop = nullptr;
  g_logic_thread = 0;
}

KS_API void OnExitWinMain() {
  g_main_loop = nullptr;
  g_main_thread = 0;
}

// The library initialises no COM of its own, so there is nothing to undo.
KS_API void OnUninitCom() {}

KS_API void ClearDeadQueue() {
  g_platform = false;
  g_strings.clear();
  g_config.clear();
}

KS_API int KSLoadString(const wchar_t* key, const wchar_t* fallback, wchar_t* out, int capacity) {
  auto it = key ? g_strings.find(key) : g_strings.end();
  return CopyOut(it != g_strings.end() ? it->second : (fallback ? fallback : L""), out, capacity);
}
