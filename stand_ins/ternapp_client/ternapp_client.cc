#include "ternapp_client.h"

#include <atomic>
#include <chrono>

#include "wire/byte_codec.h"

namespace ternapp_client {

namespace {

std::atomic<unsigned> g_pipe_counter{0};

constexpr uint32_t kMsgHostFunctions = 0x10045;
constexpr uint32_t kMsgCallText = 0x10046;
constexpr uint32_t kMsgCallValues = 0x10047;
constexpr uint32_t kMsgModuleNotification = 0x10048;
constexpr uint32_t kMsgViewSize = 0x102A;

RecordedArg Record(const VARIANT& v) {
  RecordedArg a;
  a.vt = V_VT(&v);
  switch (a.vt) {
    case VT_INT:
    case VT_I4:
      a.integer = V_I4(&v);
      break;
    case VT_BOOL:
      a.integer = V_BOOL(&v);
      break;
    case VT_R8:
      a.number = V_R8(&v);
      break;
    case VT_BSTR:
      if (V_BSTR(&v))
        a.text = Utf8(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
      break;
    case VT_VARIANT: {
      const VARIANT* inner = static_cast<const VARIANT*>(V_BYREF(&v));
      if (inner) {
        RecordedArg in = Record(*inner);
        a.has_inner = true;
        a.inner_vt = in.vt;
        a.inner_integer = in.integer;
        a.inner_text = in.text;
      }
      break;
    }
    default:
      break;
  }
  return a;
}

// Reads the fields of a known host request into `e`.
void DecodeRequest(cdSerialize* s, Event* e) {
  const char* text = nullptr;
  int strings = 0;
  switch (e->id) {
    case kMsgHostFunctions:
    case kMsgModuleNotification:
      strings = 1;
      break;
    case kMsgCallText:
    case kMsgCallValues:
      strings = 3;
      break;
    default:
      return;
  }
  for (int i = 0; i < strings; ++i) {
    if (!ReadSerialize(s, CD_STRING, &text))
      return;
    e->texts.push_back(text);
  }
  if (e->id == kMsgCallValues) {
    DISPPARAMS params = {};
    if (!ReadSerialize(s, CD_DISPPARAMS, &params))
      return;
    for (UINT i = 0; i < params.cArgs; ++i) {
      e->args.push_back(Record(params.rgvarg[i]));
      cdClearVariant(&params.rgvarg[i]);
    }
    CoTaskMemFree(params.rgvarg);
  }
  e->decoded = true;
}

// Copies a present's pixels out of the host's shared section.
bool TakePixels(const std::string& section, uint32_t bytes, std::vector<uint32_t>* pixels) {
  pixels->clear();
  if (bytes == 0)
    return true;
  std::wstring name(section.begin(), section.end());
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
  if (!mapping)
    return false;
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, bytes);
  bool ok = view != nullptr;
  if (ok) {
    pixels->resize(bytes / 4);
    memcpy(pixels->data(), view, bytes);
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
  return ok;
}

}  // namespace

std::string Utf8(const wchar_t* text, size_t length) {
  if (!text || !length)
    return std::string();
  int n =
      WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &out[0], n, nullptr, nullptr);
  return out;
}

Message::Message(uint32_t id) : s_(CreateSerialize()) {
  U32(id);
}
Message::~Message() {
  DestroySerialize(s_);
}
Message& Message::U32(uint32_t v) {
  WriteSerialize(s_, CD_UINT32, &v);
  return *this;
}
Message& Message::I32(int32_t v) {
  WriteSerialize(s_, CD_INT32, &v);
  return *this;
}
Message& Message::Text(const std::string& v) {
  WriteSerialize(s_, CD_STRING, v.c_str());
  return *this;
}
Message& Message::Params(const std::vector<VARIANT>& args) {
  DISPPARAMS params = {const_cast<VARIANT*>(args.data()), nullptr, static_cast<UINT>(args.size()),
                       0};
  WriteSerialize(s_, CD_DISPPARAMS, &params);
  return *this;
}

Client::Client() = default;

Client::~Client() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 0xDEAD);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
  cdClientDestroy(channel_);
}

bool Client::Launch(const std::wstring& exe, const std::wstring& args) {
  pipe_name_ = L"ternapp_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::to_wstring(++g_pipe_counter) + L"_" + std::to_wstring(GetTickCount());
  channel_ = cdClientCreate(pipe_name_.c_str());
  if (!channel_)
    return false;
  std::wstring line = L"\"" + exe + L"\" --conduit=" + pipe_name_;
  if (!args.empty())
    line += L" " + args;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool Client::Start(const std::wstring& exe, const std::wstring& args, DWORD connect_timeout_ms) {
  return Launch(exe, args) && cdClientAccept(channel_, connect_timeout_ms, OnFrame, this);
}

bool Client::StartOnly(const std::wstring& exe, const std::wstring& args) {
  return Launch(exe, args);
}

bool Client::WaitExit(DWORD timeout_ms, DWORD* exit_code) {
  if (!process_ || WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0)
    return false;
  return GetExitCodeProcess(process_, exit_code) != FALSE;
}

void Client::SetResponder(Responder responder) {
  std::lock_guard<std::mutex> lock(mutex_);
  responder_ = std::move(responder);
}

void Client::OnFrame(void* context,
                     uint32_t kind,
                     uint32_t conn,
                     uint32_t seq,
                     uint32_t group,
                     const uint8_t* payload,
                     uint32_t length) {
  static_cast<Client*>(context)->HandleFrame(kind, conn, seq, group, payload, length);
}

void Client::HandleFrame(uint32_t kind,
                         uint32_t conn,
                         uint32_t seq,
                         uint32_t group,
                         const uint8_t* payload,
                         uint32_t length) {
  Event e;
  e.conn = conn;
  e.seq = seq;
  e.group = group;
  cdSerialize* s = cdCreateSerializeFromData(payload, length);
  switch (kind) {
    case CD_FRAME_SEND_SYNC: {
      e.kind = Event::kHostRequest;
      ReadSerialize(s, CD_UINT32, &e.id);
      DecodeRequest(s, &e);
      Responder responder;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        responder = responder_;
      }
      cdSerialize* reply = CreateSerialize();
      if (responder)
        responder(e, reply);
      const void* data = nullptr;
      uint32_t size = 0;
      cdGetSerializeData(reply, &data, &size);
      cdClientSendFrame(channel_, CD_FRAME_REPLY, 0, seq, 0, data, size);
      DestroySerialize(reply);
      break;
    }
    case CD_FRAME_RESULT: {
      e.kind = Event::kResult;
      BOOL handled = FALSE;
      ReadSerialize(s, CD_BOOL, &handled);
      e.handled = handled != FALSE;
      std::lock_guard<std::mutex> lock(mutex_);
      results_[seq] = e.handled;
      break;
    }
    case CD_FRAME_SIZE_CHANGED:
    case CD_FRAME_VIEW_SEND: {
      e.kind = kind == CD_FRAME_SIZE_CHANGED ? Event::kSizeChanged : Event::kViewSend;
      if (kind == CD_FRAME_VIEW_SEND)
        ReadSerialize(s, CD_UINT32, &e.id);
      SIZE size = {};
      if ((kind == CD_FRAME_SIZE_CHANGED || e.id == kMsgViewSize) &&
          ReadSerialize(s, CD_SIZE, &size)) {
        e.width = size.cx;
        e.height = size.cy;
        e.decoded = true;
      }
      break;
    }
    case CD_FRAME_PRESENT: {
      e.kind = Event::kPresent;
      conduit::ByteReader r(payload, length);
      uint32_t v[6] = {};
      bool ok = true;
      for (uint32_t& item : v)
        ok = ok && r.U32(&item);
      e.x = static_cast<int>(v[0]);
      e.y = static_cast<int>(v[1]);
      e.width = static_cast<int>(v[2]);
      e.height = static_cast<int>(v[3]);
      e.bitmap_width = static_cast<int>(v[4]);
      e.bitmap_height = static_cast<int>(v[5]);
      std::string section;
      uint32_t bytes = 0;
      ok = ok && conduit::ReadStringField(&r, &section) && r.U32(&bytes);
      size_t count = static_cast<size_t>(e.width) * static_cast<size_t>(e.height);
      if (ok && bytes == count * 4 && TakePixels(section, bytes, &e.pixels)) {
        e.decoded = true;
        std::lock_guard<std::mutex> lock(mutex_);
        Picture& p = pictures_[conn];
        if (p.width != e.bitmap_width || p.height != e.bitmap_height) {
          p.width = e.bitmap_width;
          p.height = e.bitmap_height;
          p.pixels.assign(static_cast<size_t>(p.width) * p.height, 0);
        }
        for (int row = 0; row < e.height; ++row)
          memcpy(&p.pixels[static_cast<size_t>(e.y + row) * p.width + e.x],
                 &e.pixels[static_cast<size_t>(row) * e.width], static_cast<size_t>(e.width) * 4);
      }
      // The host reuses the section for its next present once it hears back.
      cdClientSendFrame(channel_, CD_FRAME_PRESENT_ACK, conn, seq, 0, nullptr, 0);
      break;
    }
    default:
      e.kind = Event::kOther;
      break;
  }
  DestroySerialize(s);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(e));
  }
  changed_.notify_all();
}

bool Client::OpenView(uint32_t conn) {
  return cdClientSendFrame(channel_, CD_FRAME_OPEN_VIEW, conn, 0, 0, nullptr, 0) != FALSE;
}

bool Client::CloseView(uint32_t conn) {
  return cdClientSendFrame(channel_, CD_FRAME_CLOSE_VIEW, conn, 0, 0, nullptr, 0) != FALSE;
}

bool Client::Resize(uint32_t conn, int width, int height) {
  cdSerialize* s = CreateSerialize();
  SIZE size = {width, height};
  WriteSerialize(s, CD_SIZE, &size);
  const void* data = nullptr;
  uint32_t length = 0;
  cdGetSerializeData(s, &data, &length);
  bool ok = cdClientSendFrame(channel_, CD_FRAME_RESIZE, conn, 0, 0, data, length) != FALSE;
  DestroySerialize(s);
  return ok;
}

bool Client::SendAndWait(uint32_t kind,
                         uint32_t conn,
                         cdSerialize* message,
                         bool* handled,
                         DWORD timeout) {
  uint32_t seq = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    seq = ++next_seq_;
  }
  const void* data = nullptr;
  uint32_t length = 0;
  cdGetSerializeData(message, &data, &length);
  if (!cdClientSendFrame(channel_, kind, conn, seq, 0, data, length))
    return false;
  std::unique_lock<std::mutex> lock(mutex_);
  if (!changed_.wait_for(lock, std::chrono::milliseconds(timeout),
                         [&] { return results_.count(seq) != 0; }))
    return false;
  if (handled)
    *handled = results_[seq];
  return true;
}

bool Client::SendViewMessage(uint32_t conn, cdSerialize* message, bool* handled, DWORD timeout) {
  return SendAndWait(CD_FRAME_VIEW_MESSAGE, conn, message, handled, timeout);
}

bool Client::SendChannelMessage(cdSerialize* message, bool* handled, DWORD timeout) {
  return SendAndWait(CD_FRAME_CHANNEL_MESSAGE, 0, message, handled, timeout);
}

bool Client::SendRaw(uint32_t kind,
                     uint32_t conn,
                     uint32_t seq,
                     const std::vector<uint8_t>& payload) {
  return cdClientSendFrame(channel_, kind, conn, seq, 0, payload.data(),
                           static_cast<uint32_t>(payload.size())) != FALSE;
}

bool Client::CreateView(uint32_t conn,
                        const std::string& name,
                        const std::string& second,
                        const std::string& initial,
                        int32_t max_width,
                        bool host_calls,
                        bool* handled) {
  Message m(0x10026);
  m.Text(name).Text(second).Text(initial).I32(max_width).I32(host_calls ? 1 : 0);
  return SendViewMessage(conn, m.get(), handled);
}

bool Client::SendInput(uint32_t conn,
                       uint32_t code,
                       uint32_t wparam,
                       int32_t lparam,
                       bool* handled) {
  Message m(0x1024);
  m.U32(code).U32(wparam).I32(lparam);
  return SendViewMessage(conn, m.get(), handled);
}

bool Client::SendTexts(uint32_t conn,
                       const std::string& first,
                       const std::string& second,
                       bool* handled) {
  Message m(0x10027);
  m.Text(first).Text(second);
  return SendViewMessage(conn, m.get(), handled);
}

bool Client::InvokeCallback(int32_t id, const std::vector<int32_t>& int_args, bool* handled) {
  std::vector<VARIANT> args(int_args.size());
  for (size_t i = 0; i < int_args.size(); ++i) {
    VariantInit(&args[i]);
    V_VT(&args[i]) = VT_INT;
    V_INT(&args[i]) = int_args[i];
  }
  Message m(0x10028);
  m.I32(id).Params(args);
  return SendChannelMessage(m.get(), handled);
}

bool Client::ReleaseCallback(int32_t id, bool* handled) {
  Message m(0x10029);
  m.I32(id);
  return SendChannelMessage(m.get(), handled);
}

std::vector<Event> Client::Events() {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

size_t Client::EventCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_.size();
}

bool Client::WaitFor(const std::function<bool(const std::vector<Event>&)>& done, DWORD timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                           [&] { return done(events_); });
}

std::vector<uint32_t> Client::Frame(uint32_t conn, int* width, int* height) {
  std::lock_guard<std::mutex> lock(mutex_);
  Picture& p = pictures_[conn];
  *width = p.width;
  *height = p.height;
  return p.pixels;
}

}  // namespace ternapp_client
