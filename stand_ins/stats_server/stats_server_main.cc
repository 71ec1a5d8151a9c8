// stats_server.exe --dir=<folder> [--port=443] [--replies=<r1>|<r2>|...]
// Each reply is "close" (close without answering), "silent" (never answer; hold the
// connection until the client gives up) or a text to send. The n-th connection gets the n-th
// reply, the last one repeating. Writes <folder>\ready once listening and
// <folder>\request_<n>.txt with the bytes of the n-th request (n from 1).
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text)
    out.push_back(static_cast<char>(c));
  return out;
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file)
    return;
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t bar = text.find('|', start);
    parts.push_back(text.substr(start, bar - start));
    if (bar == std::string::npos)
      return parts;
    start = bar + 1;
  }
}

// Reads until the blank line that ends a request, or until the peer stops sending.
std::string ReadRequest(SOCKET s) {
  std::string request;
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos) {
    int n = recv(s, buffer, sizeof(buffer), 0);
    if (n <= 0)
      break;
    request.append(buffer, static_cast<size_t>(n));
  }
  return request;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring dir;
  int port = 443;
  std::string replies = "RESULT: 1";
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.rfind(L"--dir=", 0) == 0)
      dir = arg.substr(6);
    else if (arg.rfind(L"--port=", 0) == 0)
      port = _wtoi(arg.c_str() + 7);
    else if (arg.rfind(L"--replies=", 0) == 0)
      replies = Narrow(arg.substr(10));
  }
  if (dir.empty())
    return 2;
  std::vector<std::string> reply_list = Split(replies);
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
    return 3;
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  BOOL reuse = TRUE;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
             sizeof(reuse));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listener, 8) != 0) {
    return 4;
  }
  WriteFile(dir + L"\\ready", "");
  for (size_t n = 1;; ++n) {
    SOCKET client = accept(listener, nullptr, nullptr);
    if (client == INVALID_SOCKET)
      return 5;
    std::string request = ReadRequest(client);
    WriteFile(dir + L"\\request_" + std::to_wstring(n) + L".txt", request);
    const std::string& reply = reply_list[std::min(n, reply_list.size()) - 1];
    if (reply == "silent") {
      char buffer[64];
      while (recv(client, buffer, sizeof(buffer), 0) > 0) {
      }
    } else if (reply != "close") {
      send(client, reply.data(), static_cast<int>(reply.size()), 0);
    }
    shutdown(client, SD_BOTH);
    closesocket(client);
  }
}
