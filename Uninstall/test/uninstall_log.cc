#include "uninstall_log.h"

#include <shlobj.h>

#include <algorithm>
#include <sstream>

#include "tern_test/process.h"

namespace uninstall_test {

const char* const kUninstallBranch[17] = {"StartUninstall",
                                          "CheckPelicanRunning",
                                          "GetUninstallEnvironment",
                                          "DisableWarden",
                                          "UnInstallWardenCore",
                                          "KillCorvaneProcess",
                                          "TaskbarUnpinShortLink",
                                          "DeleteWardenFiles",
                                          "UninstallPlume",
                                          "UninstallMiniDl",
                                          "DeleteFiles",
                                          "ClearInstallDir",
                                          "FixTaskbar",
                                          "UninstallUploadResult",
                                          "CompleteUninstall",
                                          "ClearUninstallTempDir",
                                          "ExitUninstall"};

std::wstring UninstallLogFile() {
  wchar_t appdata[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appdata);
  return std::wstring(appdata) + L"\\Corvane\\Logs\\pelican_uninstall.log";
}

UninstallLog::UninstallLog() : start_(tern_test::ReadFileBytes(UninstallLogFile()).size()) {}

std::vector<std::string> UninstallLog::LinesOf(DWORD pid) const {
  std::string text = tern_test::ReadFileBytes(UninstallLogFile());
  std::istringstream lines(text.size() > start_ ? text.substr(start_) : std::string());
  const std::string prefix = "[" + std::to_string(pid) + ":";
  std::vector<std::string> out;
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, prefix.size(), prefix) == 0)
      out.push_back(line);
  }
  return out;
}

std::vector<std::string> UninstallLog::MessagesOf(DWORD pid) const {
  std::vector<std::string> messages;
  for (const std::string& line : LinesOf(pid)) {
    size_t end = line.find("] ");
    if (end != std::string::npos)
      messages.push_back(line.substr(end + 2));
  }
  return messages;
}

std::vector<std::string> UninstallLog::StartedObjects(DWORD pid) const {
  std::vector<std::string> names;
  const std::string marker = "Start runtime object ";
  for (const std::string& message : MessagesOf(pid)) {
    if (message.compare(0, marker.size(), marker) == 0)
      names.push_back(message.substr(marker.size(), message.find(" (") - marker.size()));
  }
  return names;
}

bool UninstallLog::Has(DWORD pid, const std::string& message) const {
  return IndexOf(pid, message) >= 0;
}

int UninstallLog::IndexOf(DWORD pid, const std::string& message, bool prefix) const {
  std::vector<std::string> messages = MessagesOf(pid);
  auto found = std::find_if(messages.begin(), messages.end(), [&](const std::string& m) {
    return prefix ? m.compare(0, message.size(), message) == 0 : m == message;
  });
  return found == messages.end() ? -1 : static_cast<int>(found - messages.begin());
}

}  // namespace uninstall_test
