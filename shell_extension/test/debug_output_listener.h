// Captures this process's debugger output (OutputDebugString) while the object lives, through
// a vectored exception handler that sees the debug-print exceptions before anyone else.
#pragma once

#include <string>
#include <vector>

namespace docwickext_test {

class DebugOutputListener {
 public:
  DebugOutputListener();
  ~DebugOutputListener();
  DebugOutputListener(const DebugOutputListener&) = delete;
  DebugOutputListener& operator=(const DebugOutputListener&) = delete;

  // Every line written since construction or the last Clear(), oldest first.
  std::vector<std::wstring> Lines() const;
  void Clear();
  // True when some line contains `text`.
  bool Contains(const std::wstring& text) const;
};

}  // namespace docwickext_test
