#include "upload_request.h"

#include <cstdio>

namespace uninstall {

namespace {

const size_t kRequestBufferSize = 780;
const size_t kMaxReportVersionBytes = 260;

}  // namespace

std::string OsVersionField(OsPlatform platform, uint32_t major, uint32_t minor) {
  switch (platform) {
    case OsPlatform::kWin32s:
      return "Windows 3.1";
    case OsPlatform::kWindows9x:
      return "Windows 98 or 95";
    case OsPlatform::kWindowsNT:
      return std::to_string(static_cast<unsigned long long>(major) * 100 + minor);
    default:
      return std::string();
  }
}

std::string CutVersionAfterBuild(const std::string& version) {
  size_t pos = std::string::npos;
  for (int points = 0; points < 3; ++points) {
    pos = version.find('.', pos == std::string::npos ? 0 : pos + 1);
    if (pos == std::string::npos)
      return version;
  }
  return version.substr(0, pos);
}

std::string FormatIPv4(const uint8_t address[4]) {
  return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
         std::to_string(address[2]) + "." + std::to_string(address[3]);
}

std::string BuildUploadRequest(const UploadReport& report,
                               const std::string& host_address,
                               int port) {
  std::string version = report.report_version.substr(0, kMaxReportVersionBytes);
  char buffer[kRequestBufferSize];
  int written = std::snprintf(
      buffer, sizeof(buffer),
      "GET  Upload_Data\r\nVERSION: 1 \r\nMODULE_ID: 607 \r\nCOMM:%s,%s,%s,%s,%lu,%lu,%lu\r\n"
      "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows Xp)\r\nHost: %s:%d\r\n"
      "Cache-Control: no-cache\r\n\r\n",
      version.c_str(), report.os_version.c_str(), report.msi_version.c_str(), "0", 6ul, 1ul, 2ul,
      host_address.c_str(), port);
  // A cut request would lose its closing blank line: send none rather than a broken one.
  if (written < 0 || static_cast<size_t>(written) >= sizeof(buffer))
    return std::string();
  return std::string(buffer, static_cast<size_t>(written));
}

bool IsUploadAccepted(const std::string& reply) {
  std::string text = reply.substr(0, reply.find('\0'));
  size_t pos = text.find("RESULT:");
  if (pos == std::string::npos)
    return false;
  pos += 7;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
    ++pos;
  return pos < text.size() && text[pos] == '1';
}

}  // namespace uninstall
