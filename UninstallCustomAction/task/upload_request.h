// The result report's request bytes and the server's answer check. Plain C++ so that the
// exact format is tested natively as well.
#pragma once

#include <cstdint>
#include <string>

namespace uninstall {

// Platform identifiers as the system's version query reports them.
enum class OsPlatform { kWin32s = 0, kWindows9x = 1, kWindowsNT = 2, kUnknown = -1 };

// "Windows 3.1", "Windows 98 or 95", or major * 100 + minor for the NT platform; empty
// for a platform that cannot be read.
std::string OsVersionField(OsPlatform platform, uint32_t major, uint32_t minor);

// Keeps major.minor.build: everything from the third point on is dropped.
std::string CutVersionAfterBuild(const std::string& version);

struct UploadReport {
  std::string report_version;  // system ANSI code page bytes
  std::string os_version;
  std::string msi_version;
};

// "a.b.c.d" for an IPv4 address given as its four bytes in network order.
std::string FormatIPv4(const uint8_t address[4]);

// The whole request, ending in CR LF CR LF. The report version is cut to 260 bytes so
// the request always fits the 780-byte buffer the server side expects.
std::string BuildUploadRequest(const UploadReport& report,
                               const std::string& host_address,
                               int port);

// True when the reply's text (up to its first NUL) holds "RESULT:", then blanks, then "1".
bool IsUploadAccepted(const std::string& reply);

}  // namespace uninstall
