// Host end of the channel: connects to the client's pipe, reads frames on a worker thread and
// hands them, in order, to the initialising thread through a hidden window's posted messages.
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "conduit.h"
#include "pipe_io.h"
#include "raster32.h"
#include "serializer_impl.h"

namespace {

constexpr UINT kFrameArrived = WM_APP + 0x43;
constexpr uint32_t kPipeClosed = 0xFFFF;  // queued by the reader when the pipe breaks
constexpr uint32_t kPresentAckTimeoutMs = 5000;
const wchar_t kWindowClass[] = L"ConduitChannelWindow";

struct Channel;

// Pixels of presents travel through a shared section; the pipe carries only its name.
struct PresentSection {
  conduit::ScopedHandle mapping;
  uint8_t* view = nullptr;
  size_t capacity = 0;
  std::string name;
  ~PresentSection() {
    if (view)
      UnmapViewOfFile(view);
  }
};

struct Connection {
  Channel* channel = nullptr;
  uint32_t conn = 0;
  cdHostInterface host = {};
  cdChannelOps* ops = nullptr;
  PresentSection section;
  uint32_t section_generation = 0;
};

struct QueuedFrame {
  conduit::FrameHeader header;
  std::vector<uint8_t> payload;
};

struct Channel {
  uint16_t id = 0;
  std::string name;
  cdViewFactory factory = nullptr;
  cdChannelMessageProc proc = nullptr;
  conduit::ScopedHandle pipe;
  conduit::ScopedHandle stop;
  HWND window = nullptr;
  std::thread reader;
  std::mutex write_mutex;

  std::mutex queue_mutex;
  std::deque<QueuedFrame> queue;

  std::mutex pending_mutex;
  conduit::ScopedHandle pending_event;
  bool pending_active = false;
  bool pending_done = false;
  bool broken = false;
  uint32_t pending_seq = 0;
  uint32_t next_seq = 0;
  std::vector<uint8_t> pending_reply;

  std::map<uint32_t, std::unique_ptr<Connection>> connections;
};

std::map<uint16_t, std::unique_ptr<Channel>>& Channels() {
  static std::map<uint16_t, std::unique_ptr<Channel>> channels;
  return channels;
}

Channel* Find(uint16_t id) {
  auto it = Channels().find(id);
  return it == Channels().end() ? nullptr : it->second.get();
}

bool SendFrame(Channel* c,
               uint32_t kind,
               uint32_t conn,
               uint32_t seq,
               uint32_t group,
               const std::vector<uint8_t>& payload) {
  if (!c->pipe)
    return false;
  std::vector<uint8_t> frame =
      conduit::EncodeFrame({kind, conn, seq, group}, payload.data(), payload.size());
  std::lock_guard<std::mutex> lock(c->write_mutex);
  return conduit::WriteAll(c->pipe.get(), frame.data(), frame.size());
}

// Sends a frame under a new sequence number and waits for the client's answer to it (a REPLY
// or a PRESENT_ACK); false on a send failure, a broken pipe or the time-out.
bool SendAndAwait(Channel* c,
                  uint32_t kind,
                  uint32_t conn,
                  uint32_t group,
                  const std::vector<uint8_t>& payload,
                  uint32_t timeout_ms,
                  std::vector<uint8_t>* answer) {
  uint32_t seq = 0;
  {
    std::lock_guard<std::mutex> lock(c->pending_mutex);
    if (c->broken || c->pending_active)
      return false;
    seq = ++c->next_seq;
    c->pending_seq = seq;
    c->pending_active = true;
    c->pending_done = false;
    ResetEvent(c->pending_event.get());
  }
  bool sent = SendFrame(c, kind, conn, seq, group, payload);
  if (sent)
    WaitForSingleObject(c->pending_event.get(), timeout_ms);
  std::lock_guard<std::mutex> lock(c->pending_mutex);
  c->pending_active = false;
  bool answered = sent && c->pending_done;
  if (answered && answer)
    *answer = std::move(c->pending_reply);
  c->pending_reply.clear();
  return answered;
}

void SendResult(Channel* c, uint32_t conn, uint32_t seq, BOOL handled) {
  cdSerialize s;
  WriteSerialize(&s, CD_BOOL, &handled);
  SendFrame(c, CD_FRAME_RESULT, conn, seq, 0, s.data);
}

BOOL HostSendMessage(void* context, cdMessageObject* message) {
  Connection* connection = static_cast<Connection*>(context);
  if (!connection || !message || !message->serialize)
    return FALSE;
  cdSerialize s;
  if (!message->serialize(message, &s))
    return FALSE;
  return SendFrame(connection->channel, CD_FRAME_VIEW_SEND, connection->conn, 0, 0, s.data);
}

void HostSizeChanged(void* context, int width, int height) {
  Connection* connection = static_cast<Connection*>(context);
  if (!connection)
    return;
  cdSerialize s;
  SIZE size = {width, height};
  WriteSerialize(&s, CD_SIZE, &size);
  SendFrame(connection->channel, CD_FRAME_SIZE_CHANGED, connection->conn, 0, 0, s.data);
}

// A section of at least `bytes`; a larger one gets a new name, so a client never reads a
// section it mapped for an older size.
bool EnsureSection(Connection* connection, size_t bytes) {
  PresentSection& section = connection->section;
  if (section.view && section.capacity >= bytes)
    return true;
  if (section.view)
    UnmapViewOfFile(section.view);
  section.view = nullptr;
  section.mapping.Reset();
  section.capacity = 0;
  std::string name = "ConduitPresent_" + std::to_string(GetCurrentProcessId()) + "_" +
                     std::to_string(connection->channel->id) + "_" +
                     std::to_string(connection->conn) + "_" +
                     std::to_string(++connection->section_generation);
  std::wstring wide(name.begin(), name.end());
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                      static_cast<DWORD>(static_cast<uint64_t>(bytes) >> 32),
                                      static_cast<DWORD>(bytes), wide.c_str());
  if (!mapping)
    return false;
  section.mapping.Reset(mapping);
  section.view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, bytes));
  if (!section.view) {
    section.mapping.Reset();
    return false;
  }
  section.capacity = bytes;
  section.name = name;
  return true;
}

void HostPresent(void* context, void* bitmap, int x, int y, int width, int height) {
  Connection* connection = static_cast<Connection*>(context);
  R32Bitmap* memory = static_cast<R32Bitmap*>(bitmap);
  int bw = 0, bh = 0;
  if (!connection || !GetMemBitmapSize(memory, &bw, &bh))
    return;
  // Clip to the bitmap; the rows sent are exactly the visible part of the rectangle.
  int left = x < 0 ? 0 : x, top = y < 0 ? 0 : y;
  long long right = static_cast<long long>(x) + width, bottom = static_cast<long long>(y) + height;
  if (right > bw)
    right = bw;
  if (bottom > bh)
    bottom = bh;
  int w = right > left ? static_cast<int>(right - left) : 0;
  int h = bottom > top ? static_cast<int>(bottom - top) : 0;
  size_t row_bytes = static_cast<size_t>(w) * 4;
  size_t bytes = row_bytes * static_cast<size_t>(h);
  void* bits = nullptr;
  int pitch = 0;
  if ((bytes && !EnsureSection(connection, bytes)) || !LockBitmapBits(memory, &bits, &pitch))
    return;
  for (int row = 0; row < h; ++row) {
    const uint8_t* line = static_cast<const uint8_t*>(bits) +
                          static_cast<size_t>(top + row) * pitch + static_cast<size_t>(left) * 4;
    std::memcpy(connection->section.view + row * row_bytes, line, row_bytes);
  }
  UnlockBitmapBits(memory);
  std::vector<uint8_t> payload;
  conduit::ByteWriter writer(&payload);
  for (int v : {left, top, w, h, bw, bh})
    writer.U32(static_cast<uint32_t>(v));
  conduit::WriteStringField(&writer, bytes ? connection->section.name : std::string());
  writer.U32(static_cast<uint32_t>(bytes));
  // The section is reused by the next present: wait until the client has taken the pixels.
  SendAndAwait(connection->channel, CD_FRAME_PRESENT, connection->conn, 0, payload,
               kPresentAckTimeoutMs, nullptr);
}

void ReleaseConnection(Connection* connection) {
  if (connection->ops && connection->ops->release)
    connection->ops->release(connection->ops->view);
  connection->ops = nullptr;
}

void ReleaseAll(Channel* c) {
  // Release may re-enter the channel; take the table first.
  std::map<uint32_t, std::unique_ptr<Connection>> connections;
  connections.swap(c->connections);
  for (auto& entry : connections)
    ReleaseConnection(entry.second.get());
}

void Handle(Channel* c, QueuedFrame& frame) {
  const conduit::FrameHeader& h = frame.header;
  cdSerialize s;
  s.data = std::move(frame.payload);
  switch (h.kind) {
    case CD_FRAME_OPEN_VIEW: {
      if (c->connections.count(h.conn) || !c->factory)
        return;
      auto connection = std::make_unique<Connection>();
      connection->channel = c;
      connection->conn = h.conn;
      connection->host.sendMessage = HostSendMessage;
      connection->host.sizeChanged = HostSizeChanged;
      connection->host.present = HostPresent;
      connection->host.context = connection.get();
      connection->ops = c->factory(&connection->host);
      if (connection->ops)
        c->connections[h.conn] = std::move(connection);
      return;
    }
    case CD_FRAME_CLOSE_VIEW: {
      auto it = c->connections.find(h.conn);
      if (it == c->connections.end())
        return;
      std::unique_ptr<Connection> connection = std::move(it->second);
      c->connections.erase(it);
      ReleaseConnection(connection.get());
      return;
    }
    case CD_FRAME_VIEW_MESSAGE: {
      BOOL handled = FALSE;
      uint32_t id = 0;
      auto it = c->connections.find(h.conn);
      if (it != c->connections.end() && it->second->ops->onMessage &&
          ReadSerialize(&s, CD_UINT32, &id))
        handled = it->second->ops->onMessage(it->second->ops->view, id, &s);
      SendResult(c, h.conn, h.seq, handled);
      return;
    }
    case CD_FRAME_RESIZE: {
      SIZE size = {};
      auto it = c->connections.find(h.conn);
      if (it != c->connections.end() && it->second->ops->onResize &&
          ReadSerialize(&s, CD_SIZE, &size))
        it->second->ops->onResize(it->second->ops->view, size.cx, size.cy);
      return;
    }
    case CD_FRAME_CHANNEL_MESSAGE: {
      BOOL handled = FALSE;
      uint32_t id = 0;
      if (c->proc && ReadSerialize(&s, CD_UINT32, &id))
        handled = c->proc(id, &s);
      SendResult(c, 0, h.seq, handled);
      return;
    }
    case kPipeClosed:
      ReleaseAll(c);
      return;
    default:
      return;
  }
}

LRESULT CALLBACK ChannelWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != kFrameArrived)
    return DefWindowProcW(window, message, wparam, lparam);
  Channel* c = Find(static_cast<uint16_t>(wparam));
  if (!c)
    return 0;
  QueuedFrame frame;
  {
    std::lock_guard<std::mutex> lock(c->queue_mutex);
    if (c->queue.empty())
      return 0;
    frame = std::move(c->queue.front());
    c->queue.pop_front();
  }
  Handle(c, frame);
  return 0;
}

void Enqueue(Channel* c, QueuedFrame frame) {
  {
    std::lock_guard<std::mutex> lock(c->queue_mutex);
    c->queue.push_back(std::move(frame));
  }
  PostMessageW(c->window, kFrameArrived, c->id, 0);
}

void ReaderLoop(Channel* c) {
  QueuedFrame frame;
  while (conduit::ReadFrame(c->pipe.get(), c->stop.get(), &frame.header, &frame.payload)) {
    if (frame.header.kind == CD_FRAME_REPLY || frame.header.kind == CD_FRAME_PRESENT_ACK) {
      std::lock_guard<std::mutex> lock(c->pending_mutex);
      // A reply that arrives after its sender gave up is dropped.
      if (c->pending_active && frame.header.seq == c->pending_seq) {
        c->pending_reply = std::move(frame.payload);
        c->pending_done = true;
        SetEvent(c->pending_event.get());
      }
      continue;
    }
    Enqueue(c, std::move(frame));
    frame = QueuedFrame();
  }
  {
    std::lock_guard<std::mutex> lock(c->pending_mutex);
    c->broken = true;
    SetEvent(c->pending_event.get());
  }
  if (WaitForSingleObject(c->stop.get(), 0) != WAIT_OBJECT_0) {
    QueuedFrame closed;
    closed.header.kind = kPipeClosed;
    Enqueue(c, std::move(closed));
  }
}

std::wstring PipeNameFrom(const wchar_t* command_line) {
  std::wstring text = command_line ? command_line : L"";
  const std::wstring key = L"--conduit=";
  size_t at = text.find(key);
  if (at == std::wstring::npos)
    return std::wstring();
  size_t start = at + key.size();
  if (start < text.size() && text[start] == L'"') {
    size_t end = text.find(L'"', start + 1);
    return end == std::wstring::npos ? std::wstring() : text.substr(start + 1, end - start - 1);
  }
  size_t end = text.find_first_of(L" \t", start);
  return text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

}  // namespace

extern "C" {

BOOL CreateServerChannel(const char* name, uint16_t channel_id, cdViewFactory factory) {
  if (Find(channel_id) || !factory)
    return FALSE;
  auto c = std::make_unique<Channel>();
  c->id = channel_id;
  c->name = name ? name : "";
  c->factory = factory;
  Channels()[channel_id] = std::move(c);
  return TRUE;
}

BOOL InitServerByCommandLine(uint16_t channel_id, const wchar_t* command_line) {
  Channel* c = Find(channel_id);
  if (!c || c->pipe)
    return FALSE;
  std::wstring name = PipeNameFrom(command_line);
  if (name.empty())
    return FALSE;
  std::wstring path = L"\\\\.\\pipe\\" + name;
  HANDLE pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  if (pipe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PIPE_BUSY &&
      WaitNamedPipeW(path.c_str(), 5000))
    pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
  if (pipe == INVALID_HANDLE_VALUE)
    return FALSE;

  WNDCLASSW wc = {};
  wc.lpfnWndProc = ChannelWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kWindowClass;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  conduit::ScopedHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  conduit::ScopedHandle pending(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!window || !stop || !pending) {
    if (window)
      DestroyWindow(window);
    CloseHandle(pipe);
    return FALSE;
  }
  c->pipe.Reset(pipe);
  c->window = window;
  c->stop.Reset(stop.Release());
  c->pending_event.Reset(pending.Release());
  c->reader = std::thread(ReaderLoop, c);
  return TRUE;
}

BOOL cdSetChannelMessageProc(uint16_t channel_id, cdChannelMessageProc proc) {
  Channel* c = Find(channel_id);
  if (!c)
    return FALSE;
  c->proc = proc;
  return TRUE;
}

BOOL cdSendChannelMessageSync(uint16_t channel_id,
                              uint32_t group_id,
                              cdSerialize* message,
                              uint32_t timeout_ms,
                              cdSerialize* reply) {
  Channel* c = Find(channel_id);
  if (!c || !c->pipe || !message)
    return FALSE;
  std::vector<uint8_t> answer;
  if (!SendAndAwait(c, CD_FRAME_SEND_SYNC, 0, group_id, message->data, timeout_ms, &answer))
    return FALSE;
  if (reply) {
    reply->data = std::move(answer);
    reply->read_position = 0;
  }
  return TRUE;
}

BOOL DestroyServerChannel(uint16_t channel_id) {
  Channel* c = Find(channel_id);
  if (!c)
    return FALSE;
  if (c->stop)
    SetEvent(c->stop.get());
  if (c->reader.joinable())
    c->reader.join();
  ReleaseAll(c);
  if (c->window)
    DestroyWindow(c->window);
  Channels().erase(channel_id);
  return TRUE;
}

}  // extern "C"
