#include "client_peers.h"

#include "rpc/json_text.h"
#include "tern_test/window_search.h"

namespace docwick_test {

ClientPeer::ClientPeer(const std::wstring& options) {
  static LONG counter = 0;
  std::wstring event_name = L"TernClientReady_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(InterlockedIncrement(&counter));
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, event_name.c_str());
  if (!ready)
    return;
  std::wstring args = options + L" --ready=" + event_name + L" --record=" +
                      tern_test::QuoteArg(m_dir.Join(L"calls.jsonl"));
  if (!m_process.Start(tern_test::ExeDir() + L"\\TernClientStub.exe", args)) {
    m_error = "TernClientStub.exe did not start: " + std::to_string(GetLastError());
  } else {
    HANDLE waits[2] = {ready, m_process.handle()};
    DWORD waited = WaitForMultipleObjects(2, waits, FALSE, 20000);
    if (waited == WAIT_OBJECT_0) {
      m_hwnd = tern_test::FindTopLevelWindow(m_process.pid(), [](HWND hwnd) {
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        return wcscmp(cls, L"AB0B3F91-DE0F-48EE-B1A1-461540FE1BBB") == 0 ||
               wcscmp(cls, L"9EA4877B-2274-4AB5-AB10-89B6F2061220") == 0;
      });
      if (!m_hwnd)
        m_error = "ready, but no window of process " + std::to_string(m_process.pid());
    } else if (waited == WAIT_OBJECT_0 + 1) {
      DWORD code = 0;
      GetExitCodeProcess(m_process.handle(), &code);
      m_error = "TernClientStub.exe ended before it was ready, exit code " + std::to_string(code);
    } else {
      m_error = "TernClientStub.exe not ready within 20 s";
    }
  }
  CloseHandle(ready);
}

std::vector<Json::Value> ClientPeer::Calls() const {
  std::vector<Json::Value> calls;
  std::string bytes = tern_test::ReadFileBytes(m_dir.Join(L"calls.jsonl"));
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos)
      end = bytes.size();
    Json::Value call;
    if (docwick::ParseJsonText(bytes.data() + pos, end - pos, &call))
      calls.push_back(call);
    pos = end + 1;
  }
  return calls;
}

std::wstring WriteReplyFile(const tern_test::ScopedTempDir& dir, const std::string& bytes) {
  static int counter = 0;
  std::wstring path = dir.Join(L"reply" + std::to_wstring(++counter) + L".json");
  tern_test::WriteFileBytes(path, bytes);
  return path;
}

}  // namespace docwick_test
