#include "upload_transport_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>

#include "upload_endpoint.h"

namespace uninstall {

namespace {

std::atomic<uint32_t> g_resolved_upload_address{0};

class ScopedWinsock {
 public:
  ScopedWinsock() { ok_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
  ~ScopedWinsock() {
    if (ok_)
      WSACleanup();
  }
  ScopedWinsock(const ScopedWinsock&) = delete;
  ScopedWinsock& operator=(const ScopedWinsock&) = delete;
  bool ok() const { return ok_; }

 private:
  WSADATA data_;
  bool ok_;
};

class ScopedSocket {
 public:
  explicit ScopedSocket(SOCKET s) : socket_(s) {}
  ~ScopedSocket() {
    if (socket_ != INVALID_SOCKET)
      closesocket(socket_);
  }
  ScopedSocket(const ScopedSocket&) = delete;
  ScopedSocket& operator=(const ScopedSocket&) = delete;
  SOCKET get() const { return socket_; }

 private:
  SOCKET socket_;
};

bool ConnectWithTimeout(SOCKET s, const sockaddr_in& address, int timeout_ms) {
  u_long non_blocking = 1;
  if (ioctlsocket(s, FIONBIO, &non_blocking) != 0)
    return false;
  if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK)
      return false;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval timeout = {timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    if (select(0, nullptr, &writable, &failed, &timeout) <= 0 || FD_ISSET(s, &failed))
      return false;
    int error = 0;
    int size = sizeof(error);
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 ||
        error != 0) {
      return false;
    }
  }
  u_long blocking = 0;
  return ioctlsocket(s, FIONBIO, &blocking) == 0;
}

}  // namespace

uint32_t ResolveUploadServer() {
  uint32_t remembered = g_resolved_upload_address.load();
  if (remembered != 0)
    return remembered;
  ScopedWinsock winsock;
  if (winsock.ok()) {
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(kUploadHost, nullptr, &hints, &result) == 0 && result) {
      uint32_t address = reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
      freeaddrinfo(result);
      if (address != 0) {
        g_resolved_upload_address.store(address);
        return address;
      }
    }
  }
  return inet_addr(kUploadFallbackAddress);
}

bool ExchangeOnce(uint32_t address, int port, const std::string& request, std::string* reply) {
  reply->clear();
  ScopedWinsock winsock;
  if (!winsock.ok())
    return false;
  ScopedSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (s.get() == INVALID_SOCKET)
    return false;
  sockaddr_in target = {};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<u_short>(port));
  target.sin_addr.s_addr = address;
  if (!ConnectWithTimeout(s.get(), target, kUploadConnectTimeoutMs))
    return false;
  DWORD timeout = kUploadReceiveTimeoutMs;
  setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
             sizeof(timeout));
  setsockopt(s.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
             sizeof(timeout));
  size_t sent = 0;
  while (sent < request.size()) {
    int n = send(s.get(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
    if (n <= 0)
      break;
    sent += static_cast<size_t>(n);
  }
  char buffer[259];
  int received = recv(s.get(), buffer, sizeof(buffer), 0);
  if (received > 0)
    reply->assign(buffer, static_cast<size_t>(received));
  return true;
}

}  // namespace uninstall
