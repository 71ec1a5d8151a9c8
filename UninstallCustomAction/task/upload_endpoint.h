// Where the result report goes. The only place these values are written: tests map the
// host name to loopback (see UninstallCustomAction/test/CMakeLists.txt, which reads it
// from here).
#pragma once

namespace uninstall {

const char kUploadHost[] = "ustat.tern.corvane.com";
// Used when the host name cannot be resolved.
const char kUploadFallbackAddress[] = "203.0.113.7";
const int kUploadPort = 443;
const int kUploadAttempts = 3;
// Each attempt's connect and its receive are bounded, so a server that accepts and never
// answers cannot hold up the rest of the uninstall.
const int kUploadConnectTimeoutMs = 5000;
const int kUploadReceiveTimeoutMs = 5000;

}  // namespace uninstall
