// A private copy of Docwick.exe with its libraries in a scratch folder, laid out as installed:
// <root>\bin\Docwick.exe beside its DLLs, <root>\Docwick.tpc and the language file in <root>.
// Each test gets its own log at <root>\bin\log\Docwick.log.
#pragma once

#include <string>
#include <vector>

#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace docwick_test {

// Docwick.exe and the libraries it loads, as installed beside it.
const std::vector<std::wstring>& DocwickFiles();

class DocwickInstall {
 public:
  DocwickInstall();
  bool ok() const { return m_ok; }
  const std::wstring& root() const { return m_dir.path(); }
  std::wstring bin() const { return m_dir.path() + L"\\bin"; }
  std::wstring exe() const { return bin() + L"\\Docwick.exe"; }

  // Runs Docwick with `args` as its raw command line tail.
  tern_test::ProcessResult Run(const std::wstring& args, unsigned timeout_ms = 30000) const;
  // The whole log so far (UTF-8).
  std::string Log() const;

 private:
  tern_test::ScopedTempDir m_dir;
  bool m_ok = false;
};

// Count of lines in `log` that contain `text`.
int CountLines(const std::string& log, const std::string& text);

}  // namespace docwick_test
