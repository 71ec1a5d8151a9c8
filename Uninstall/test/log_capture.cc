#include "log_capture.h"

#include <sstream>

#include "base/logging.h"
#include "base/utf_string_conversions.h"
#include "tern_test/process.h"

LogCapture::LogCapture() : file_(dir_.Join(L"capture.log")) {
  logging::LoggingSettings settings;
  settings.log_file = base::WideToUTF8(file_);
  settings.to_file = true;
  settings.to_debugger = false;
  logging::InitLogging(settings);
}

LogCapture::~LogCapture() {
  logging::CloseLogFile();
  logging::InitLogging(logging::LoggingSettings());
}

std::vector<std::string> LogCapture::Messages() const {
  std::vector<std::string> messages;
  std::istringstream lines(tern_test::ReadFileBytes(file_));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    size_t end = line.find("] ");
    messages.push_back(end == std::string::npos ? line : line.substr(end + 2));
  }
  return messages;
}
