// Stand-in clients (TernClientStub.exe) started for a test and stopped with it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <json/json.h>

#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace docwick_test {

class ClientPeer {
 public:
  // `options` are the stub's switches, e.g. L"--uin=123 --product=Tern".
  explicit ClientPeer(const std::wstring& options);
  bool ok() const { return m_hwnd != nullptr; }
  HWND hwnd() const { return m_hwnd; }
  // Why the peer is not ok: what its start or its window search ran into.
  const std::string& error() const { return m_error; }
  // Every call the client received so far: {"id", "method", "params"}.
  std::vector<Json::Value> Calls() const;

 private:
  tern_test::ScopedTempDir m_dir;
  tern_test::ScopedProcess m_process;
  HWND m_hwnd = nullptr;
  std::string m_error;
};

// Writes `bytes` to a file in `dir` and returns its path.
std::wstring WriteReplyFile(const tern_test::ScopedTempDir& dir, const std::string& bytes);

}  // namespace docwick_test
