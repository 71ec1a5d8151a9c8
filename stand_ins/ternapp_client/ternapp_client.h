// Stand-in for the client's render service: starts TernApp.exe with a channel on its command
// line, opens views, sends input and resizes, answers host-function requests and records every
// frame TernApp sends. Used by the tests, the benchmark and the demo.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "conduit.h"

namespace ternapp_client {

// A VARIANT as the client received it, flattened for assertions.
struct RecordedArg {
  uint16_t vt = 0;
  int64_t integer = 0;
  double number = 0;
  std::string text;  // BSTR as UTF-8
  bool has_inner = false;
  uint16_t inner_vt = 0;
  int64_t inner_integer = 0;
  std::string inner_text;
};

struct Event {
  enum Kind { kHostRequest, kPresent, kSizeChanged, kViewSend, kResult, kOther };
  Kind kind = kOther;
  uint32_t conn = 0;
  uint32_t seq = 0;
  uint32_t group = 0;
  uint32_t id = 0;                          // message id of requests and view sends
  std::vector<std::string> texts;           // string fields in order
  std::vector<RecordedArg> args;            // DISPPARAMS of 0x10047
  bool decoded = false;                     // all fields of a known message were read
  int x = 0, y = 0, width = 0, height = 0;  // present rectangle, or a size
  int bitmap_width = 0, bitmap_height = 0;
  std::vector<uint32_t> pixels;  // present: the rectangle's BGRA pixels, row by row
  bool handled = false;          // result
};

// Writes the reply fields for a host request; the default answers with nothing.
using Responder = std::function<void(const Event& request, cdSerialize* reply)>;

class Client {
 public:
  Client();
  ~Client();
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  // Starts `exe` as "<exe> --conduit=<pipe> <args>" and waits until it connects.
  bool Start(const std::wstring& exe, const std::wstring& args, DWORD connect_timeout_ms = 15000);
  // Started without waiting for a connection (for processes expected not to connect).
  bool StartOnly(const std::wstring& exe, const std::wstring& args);
  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_; }
  // Full 32-bit exit code; false on time-out.
  bool WaitExit(DWORD timeout_ms, DWORD* exit_code);

  void SetResponder(Responder responder);

  bool OpenView(uint32_t conn);
  bool CloseView(uint32_t conn);
  bool Resize(uint32_t conn, int width, int height);
  // Sends and waits for the host's handled flag; false when no result came in time.
  bool SendViewMessage(uint32_t conn,
                       cdSerialize* message,
                       bool* handled,
                       DWORD timeout_ms = 15000);
  bool SendChannelMessage(cdSerialize* message, bool* handled, DWORD timeout_ms = 15000);
  bool SendRaw(uint32_t kind, uint32_t conn, uint32_t seq, const std::vector<uint8_t>& payload);

  bool CreateView(uint32_t conn,
                  const std::string& name,
                  const std::string& second,
                  const std::string& initial,
                  int32_t max_width,
                  bool host_calls,
                  bool* handled);
  bool SendInput(uint32_t conn, uint32_t code, uint32_t wparam, int32_t lparam, bool* handled);
  bool SendTexts(uint32_t conn, const std::string& first, const std::string& second, bool* handled);
  // 0x10028 / 0x10029 through the channel's message procedure.
  bool InvokeCallback(int32_t id, const std::vector<int32_t>& int_args, bool* handled);
  bool ReleaseCallback(int32_t id, bool* handled);

  std::vector<Event> Events();
  size_t EventCount();
  // Waits until `done` holds for the recorded events.
  bool WaitFor(const std::function<bool(const std::vector<Event>&)>& done, DWORD timeout_ms);
  // The view's picture as assembled from every present so far.
  std::vector<uint32_t> Frame(uint32_t conn, int* width, int* height);

 private:
  static void OnFrame(void* context,
                      uint32_t kind,
                      uint32_t conn,
                      uint32_t seq,
                      uint32_t group,
                      const uint8_t* payload,
                      uint32_t length);
  void HandleFrame(uint32_t kind,
                   uint32_t conn,
                   uint32_t seq,
                   uint32_t group,
                   const uint8_t* payload,
                   uint32_t length);
  bool Launch(const std::wstring& exe, const std::wstring& args);
  bool SendAndWait(uint32_t kind,
                   uint32_t conn,
                   cdSerialize* message,
                   bool* handled,
                   DWORD timeout);

  cdClient* channel_ = nullptr;
  std::wstring pipe_name_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Event> events_;
  std::map<uint32_t, bool> results_;
  uint32_t next_seq_ = 0;
  Responder responder_;
  struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
  };
  std::map<uint32_t, Picture> pictures_;
};

// Builds a message: the id first, then the fields added.
class Message {
 public:
  explicit Message(uint32_t id);
  ~Message();
  Message(const Message&) = delete;
  Message& operator=(const Message&) = delete;
  Message& U32(uint32_t v);
  Message& I32(int32_t v);
  Message& Text(const std::string& v);
  Message& Params(const std::vector<VARIANT>& args);
  cdSerialize* get() const { return s_; }

 private:
  cdSerialize* s_;
};

std::string Utf8(const wchar_t* text, size_t length);

}  // namespace ternapp_client
