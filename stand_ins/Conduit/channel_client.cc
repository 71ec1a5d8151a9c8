// Client end of the channel: owns the pipe, waits for the host, reads frames on its own thread.
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "conduit.h"
#include "pipe_io.h"

struct cdClient {
  conduit::ScopedHandle pipe;
  conduit::ScopedHandle stop;
  std::thread reader;
  std::mutex write_mutex;
  cdClientFrameProc proc = nullptr;
  void* context = nullptr;
};

namespace {

void ReaderLoop(cdClient* client) {
  conduit::FrameHeader header;
  std::vector<uint8_t> payload;
  while (conduit::ReadFrame(client->pipe.get(), client->stop.get(), &header, &payload)) {
    client->proc(client->context, header.kind, header.conn, header.seq, header.group,
                 payload.data(), static_cast<uint32_t>(payload.size()));
  }
}

}  // namespace

extern "C" {

cdClient* cdClientCreate(const wchar_t* pipe_name) {
  if (!pipe_name || !*pipe_name)
    return nullptr;
  std::wstring path = std::wstring(L"\\\\.\\pipe\\") + pipe_name;
  HANDLE pipe = CreateNamedPipeW(
      path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 1 << 20, 1 << 20, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE)
    return nullptr;
  cdClient* client = new (std::nothrow) cdClient;
  if (!client) {
    CloseHandle(pipe);
    return nullptr;
  }
  client->pipe.Reset(pipe);
  client->stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!client->stop) {
    delete client;
    return nullptr;
  }
  return client;
}

BOOL cdClientAccept(cdClient* client, uint32_t timeout_ms, cdClientFrameProc proc, void* context) {
  if (!client || !proc || client->reader.joinable())
    return FALSE;
  conduit::ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED ov = {};
  ov.hEvent = event.get();
  if (!ConnectNamedPipe(client->pipe.get(), &ov)) {
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
      if (WaitForSingleObject(event.get(), timeout_ms) != WAIT_OBJECT_0) {
        CancelIo(client->pipe.get());
        DWORD ignored = 0;
        GetOverlappedResult(client->pipe.get(), &ov, &ignored, TRUE);
        return FALSE;
      }
      DWORD ignored = 0;
      if (!GetOverlappedResult(client->pipe.get(), &ov, &ignored, FALSE))
        return FALSE;
    } else if (error != ERROR_PIPE_CONNECTED) {
      return FALSE;
    }
  }
  client->proc = proc;
  client->context = context;
  client->reader = std::thread(ReaderLoop, client);
  return TRUE;
}

BOOL cdClientSendFrame(cdClient* client,
                       uint32_t kind,
                       uint32_t conn,
                       uint32_t seq,
                       uint32_t group,
                       const void* payload,
                       uint32_t length) {
  if (!client || (length && !payload))
    return FALSE;
  std::vector<uint8_t> frame = conduit::EncodeFrame({kind, conn, seq, group}, payload, length);
  std::lock_guard<std::mutex> lock(client->write_mutex);
  return conduit::WriteAll(client->pipe.get(), frame.data(), frame.size()) ? TRUE : FALSE;
}

void cdClientDestroy(cdClient* client) {
  if (!client)
    return;
  SetEvent(client->stop.get());
  if (client->reader.joinable())
    client->reader.join();
  DisconnectNamedPipe(client->pipe.get());
  delete client;
}

}  // extern "C"
