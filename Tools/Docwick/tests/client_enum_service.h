// The stand-in client enumeration service (ClientEnumServer.exe) registered in the prefix for
// one test: COM starts it on demand; it lists the entries the test wrote and records every call.
#pragma once

#include <string>
#include <vector>

#include "tern_test/scoped_temp_dir.h"

namespace docwick_test {

class ScopedClientEnumService {
 public:
  // `entries`: the server's entry lines (see stand_ins/client_enum_server/entries.h).
  explicit ScopedClientEnumService(const std::string& entries);
  // Waits for a started server to end, then unregisters the service.
  ~ScopedClientEnumService();
  ScopedClientEnumService(const ScopedClientEnumService&) = delete;
  ScopedClientEnumService& operator=(const ScopedClientEnumService&) = delete;

  bool ok() const { return m_ok; }
  // Read by every server instance when an enumerator is created.
  bool SetEntries(const std::string& entries) const;
  // The recorded lines: "Start", "CreateInstance", "FirstEntry", "GetProperty UUin", "Exit"...
  std::vector<std::string> Record() const;
  // Waits (bounded) until every started server has ended; false on time-out.
  bool WaitForServersToEnd() const;

 private:
  tern_test::ScopedTempDir m_dir;
  bool m_ok = false;
};

// Removes any registration of the service; true when none is left.
bool UnregisterClientEnumService();

}  // namespace docwick_test
