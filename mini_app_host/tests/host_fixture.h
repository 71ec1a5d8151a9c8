// Shared by the host's end-to-end tests: an app file in a scratch folder, the real TernApp.exe
// started through the stand-in client, and the engine's log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"
#include "ternapp_client.h"

namespace ternapp_test {

using ternapp_client::Event;

class HostSession {
 public:
  // Writes the app file (a "log" line is added in front) and starts TernApp with
  // "--app=<file>" plus `args`.
  bool Start(const std::string& app_text, const std::wstring& args = L"");
  ternapp_client::Client& client() { return client_; }
  const tern_test::ScopedTempDir& dir() const { return dir_; }

  std::vector<std::string> LogLines() const;
  bool HasLine(const std::string& line) const;
  size_t CountPrefix(const std::string& prefix) const;

  // Opens connection 1, resizes it and creates its engine view.
  bool OpenMainView(int width, int height, int max_width = -1, bool host_calls = false);
  // Ends the app through its "entry 13" handler and returns the exit code (~0u on time-out).
  DWORD QuitThroughMessage(const std::string& text = "quit");

 private:
  tern_test::ScopedTempDir dir_;
  ternapp_client::Client client_;
};

std::wstring TernAppPath();
std::vector<Event> OfKind(const std::vector<Event>& events, Event::Kind kind);
std::vector<Event> Requests(const std::vector<Event>& events, uint32_t id);

}  // namespace ternapp_test
