#include "host_fixture.h"

#include <sstream>

#include <gtest/gtest.h>

namespace ternapp_test {

std::wstring TernAppPath() {
  return tern_test::ExeDir() + L"\\TernApp.exe";
}

bool HostSession::Start(const std::string& app_text, const std::wstring& args) {
  if (!dir_.valid())
    return false;
  std::wstring wide_log = dir_.Join(L"engine.log");
  std::string log_path(wide_log.begin(), wide_log.end());
  std::string app = "log \"" + log_path + "\"\n" + app_text;
  std::wstring app_path = dir_.Join(L"app.txt");
  if (!tern_test::WriteFileBytes(app_path, app))
    return false;
  std::wstring line = L"--app=" + tern_test::QuoteArg(app_path);
  if (!args.empty())
    line += L" " + args;
  return client_.Start(TernAppPath(), line);
}

std::vector<std::string> HostSession::LogLines() const {
  std::string text = tern_test::ReadFileBytes(dir_.Join(L"engine.log"));
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    lines.push_back(line);
  return lines;
}

bool HostSession::HasLine(const std::string& line) const {
  for (const std::string& l : LogLines()) {
    if (l == line)
      return true;
  }
  return false;
}

size_t HostSession::CountPrefix(const std::string& prefix) const {
  size_t n = 0;
  for (const std::string& l : LogLines())
    n += l.compare(0, prefix.size(), prefix) == 0;
  return n;
}

bool HostSession::OpenMainView(int width, int height, int max_width, bool host_calls) {
  bool handled = false;
  return client_.OpenView(1) && client_.Resize(1, width, height) &&
         client_.CreateView(1, "main", "page", "", max_width, host_calls, &handled) && handled;
}

DWORD HostSession::QuitThroughMessage(const std::string& text) {
  bool handled = false;
  client_.SendTexts(1, text, "", &handled);
  DWORD code = ~0u;
  if (!client_.WaitExit(15000, &code))
    return ~0u;
  return code;
}

std::vector<Event> OfKind(const std::vector<Event>& events, Event::Kind kind) {
  std::vector<Event> out;
  for (const Event& e : events) {
    if (e.kind == kind)
      out.push_back(e);
  }
  return out;
}

std::vector<Event> Requests(const std::vector<Event>& events, uint32_t id) {
  std::vector<Event> out;
  for (const Event& e : events) {
    if (e.kind == Event::kHostRequest && e.id == id)
      out.push_back(e);
  }
  return out;
}

}  // namespace ternapp_test
