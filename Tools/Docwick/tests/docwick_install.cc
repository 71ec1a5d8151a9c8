#include "docwick_install.h"

#include <windows.h>

namespace docwick_test {

const std::vector<std::wstring>& DocwickFiles() {
  static const std::vector<std::wstring> files = {L"Docwick.exe", L"Keystone.dll",
                                                  L"Spool.dll",   L"ternrpc_client.dll",
                                                  L"Lattice.dll", L"Raster32.dll"};
  return files;
}

DocwickInstall::DocwickInstall() {
  if (!m_dir.valid() || !CreateDirectoryW(bin().c_str(), nullptr))
    return;
  for (const std::wstring& file : DocwickFiles()) {
    std::wstring from = tern_test::ExeDir() + L"\\" + file;
    if (!CopyFileW(from.c_str(), (bin() + L"\\" + file).c_str(), FALSE))
      return;
  }
  m_ok = tern_test::WriteFileBytes(root() + L"\\Docwick.tpc", "strings=strings.txt\n") &&
         tern_test::WriteFileBytes(root() + L"\\strings.txt", "");
}

tern_test::ProcessResult DocwickInstall::Run(const std::wstring& args, unsigned timeout_ms) const {
  return tern_test::RunProcess(exe(), args, timeout_ms);
}

std::string DocwickInstall::Log() const {
  return tern_test::ReadFileBytes(bin() + L"\\log\\Docwick.log");
}

int CountLines(const std::string& log, const std::string& text) {
  int count = 0;
  size_t pos = 0;
  while (pos < log.size()) {
    size_t end = log.find('\n', pos);
    if (end == std::string::npos)
      end = log.size();
    if (log.substr(pos, end - pos).find(text) != std::string::npos)
      ++count;
    pos = end + 1;
  }
  return count;
}

}  // namespace docwick_test
