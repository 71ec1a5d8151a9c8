// One TCP exchange with the statistics server, each step bounded in time.
#pragma once

#include <cstdint>
#include <string>

namespace uninstall {

// The server's IPv4 address (network byte order): the first resolution that succeeded in
// this process, else the fallback address.
uint32_t ResolveUploadServer();

// Connects, sends the whole request, receives once (at most 259 bytes) into `reply`.
// False when no connection could be made.
bool ExchangeOnce(uint32_t address, int port, const std::string& request, std::string* reply);

}  // namespace uninstall
