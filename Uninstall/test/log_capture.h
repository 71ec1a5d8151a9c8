// Sends the log to a scratch file for the lifetime of the object and reads it back.
#pragma once

#include <string>
#include <vector>

#include "tern_test/scoped_temp_dir.h"

class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  // The messages (text after "] ") of the lines written so far.
  std::vector<std::string> Messages() const;

 private:
  tern_test::ScopedTempDir dir_;
  std::wstring file_;
};
