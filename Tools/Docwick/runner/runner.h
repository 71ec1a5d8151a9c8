// One command of Docwick: Run's return value becomes the process exit code.
#pragma once

#include <string>

namespace docwick {

class IRunner {
 public:
  virtual ~IRunner() = default;
  virtual int Run(const std::wstring& command, const std::wstring& params) = 0;
};

}  // namespace docwick
