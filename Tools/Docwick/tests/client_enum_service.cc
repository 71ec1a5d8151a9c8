#include "client_enum_service.h"

#include <windows.h>

#include <algorithm>

#include "tern_test/process.h"

namespace docwick_test {

namespace {

std::wstring ServerExe() {
  return tern_test::ExeDir() + L"\\ClientEnumServer.exe";
}

}  // namespace

ScopedClientEnumService::ScopedClientEnumService(const std::string& entries) {
  if (!m_dir.valid() || !SetEntries(entries))
    return;
  tern_test::ProcessResult result = tern_test::RunProcess(
      ServerExe(), L"/RegServer " +
                       tern_test::QuoteArg(L"--entries=" + m_dir.Join(L"entries.txt")) + L" " +
                       tern_test::QuoteArg(L"--record=" + m_dir.Join(L"record.txt")));
  m_ok = result.started && !result.timed_out && result.exit_code == 0;
}

ScopedClientEnumService::~ScopedClientEnumService() {
  WaitForServersToEnd();
  UnregisterClientEnumService();
}

bool ScopedClientEnumService::SetEntries(const std::string& entries) const {
  return tern_test::WriteFileBytes(m_dir.Join(L"entries.txt"), entries);
}

std::vector<std::string> ScopedClientEnumService::Record() const {
  std::vector<std::string> lines;
  std::string bytes = tern_test::ReadFileBytes(m_dir.Join(L"record.txt"));
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos)
      end = bytes.size();
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
}

bool ScopedClientEnumService::WaitForServersToEnd() const {
  // The server records its start and its end; it ends once the caller released everything.
  for (int waited = 0; waited < 30000; waited += 50) {
    std::vector<std::string> lines = Record();
    if (std::count(lines.begin(), lines.end(), "Start") ==
        std::count(lines.begin(), lines.end(), "Exit"))
      return true;
    Sleep(50);
  }
  return false;
}

bool UnregisterClientEnumService() {
  tern_test::ProcessResult result = tern_test::RunProcess(ServerExe(), L"/UnregServer");
  return result.started && result.exit_code == 0;
}

}  // namespace docwick_test
