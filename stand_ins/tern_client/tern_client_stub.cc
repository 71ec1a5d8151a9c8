// A stand-in for a running client: owns a hidden top-level window of the client (or legacy
// client) class, answers the RPC methods from its command line, and appends every call it
// receives to a record file as one JSON object per line.
//
//   --class=tern|pelican    window class (default tern)
//   --uin= --product= --nickname= --headpath=   string members of the basic info
//   --locked=0|1 --online=0|1 --pubno=N         typed members of the basic info
//   --reply-file=PATH       raw bytes returned for Docx.GetClientBasicInfo instead
//   --result=true|false|none                    "result" of the preview and hand-over calls
//   --report-count=N        "report_count" of the usage report (omitted when absent)
//   --delay=MS              answer only after this delay
//   --server-error=N        answer every call with this server error
//   --vanish                close the window and exit on the first call, without answering
//   --record=PATH           where calls are recorded
//   --ready=NAME            named event set once the window exists
//
// Started as Tern.exe with "--funcmethod=..." (a request on the command line), it appends its
// raw command line to "Tern.launch.log" beside itself and exits.
#include <windows.h>
#include <shellapi.h>

#include <deque>
#include <map>
#include <string>

#include <json/json.h>

#include "ternrpc_wire.h"

namespace {

const wchar_t kTernClass[] = L"AB0B3F91-DE0F-48EE-B1A1-461540FE1BBB";
const wchar_t kPelicanClass[] = L"9EA4877B-2274-4AB5-AB10-89B6F2061220";
const UINT kAnswerMessage = WM_APP + 1;
const UINT_PTR kDelayTimer = 1;

std::map<std::wstring, std::wstring> g_options;
std::deque<ternrpc_wire::Request> g_pending;

std::string Utf8(const std::wstring& text) {
  if (text.empty())
    return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

bool Has(const wchar_t* key) {
  return g_options.count(key) != 0;
}

std::wstring Option(const wchar_t* key, const wchar_t* fallback = L"") {
  auto it = g_options.find(key);
  return it == g_options.end() ? fallback : it->second;
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return std::string();
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got)
    bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

std::string Compact(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  return Json::writeString(builder, value);
}

void Record(const ternrpc_wire::Request& request) {
  if (!Has(L"record"))
    return;
  Json::Value line;
  line["id"] = request.request_id;
  line["method"] = request.method;
  line["params"] = request.params;
  std::string bytes = Compact(line) + "\n";
  HANDLE file = CreateFileW(Option(L"record").c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string BasicInfo() {
  if (Has(L"reply-file"))
    return ReadWholeFile(Option(L"reply-file"));
  Json::Value info(Json::objectValue);
  const wchar_t* strings[][2] = {{L"uin", L"uin"},
                                 {L"product", L"product_name"},
                                 {L"nickname", L"nickname"},
                                 {L"headpath", L"headpath"}};
  for (auto& s : strings) {
    if (Has(s[0]))
      info[Utf8(s[1])] = Utf8(Option(s[0]));
  }
  if (Has(L"locked"))
    info["locked"] = Option(L"locked") == L"1";
  if (Has(L"online"))
    info["online"] = Option(L"online") == L"1";
  if (Has(L"pubno"))
    info["pubno"] = static_cast<Json::UInt>(_wtoi(Option(L"pubno").c_str()));
  return Compact(info);
}

std::string Answer(const std::string& method) {
  if (method == "Docx.GetClientBasicInfo")
    return BasicInfo();
  Json::Value out(Json::objectValue);
  if (method == "Docx.DataReport.Report0X8008BF1") {
    if (Has(L"report-count"))
      out["report_count"] = static_cast<Json::UInt>(_wtoi(Option(L"report-count").c_str()));
    return Compact(out);
  }
  std::wstring result = Option(L"result", L"true");
  if (result != L"none")
    out["result"] = result == L"true";
  return Compact(out);
}

void SendAnswer(HWND self, const ternrpc_wire::Request& request) {
  std::string data;
  ternrpc_wire::Reply reply;
  reply.request_id = request.request_id;
  if (Has(L"server-error")) {
    reply.server_error = static_cast<uint32_t>(_wtoi(Option(L"server-error").c_str()));
    data = "stand-in client error";
  } else {
    data = Answer(request.method);
  }
  reply.total_length = static_cast<uint32_t>(data.size());
  HWND caller = reinterpret_cast<HWND>(static_cast<uintptr_t>(request.reply_window));
  do {
    reply.data = data.substr(reply.offset, ternrpc_wire::kReplyChunk);
    std::string bytes = ternrpc_wire::EncodeReply(reply);
    COPYDATASTRUCT cds = {ternrpc_wire::kReplyTag, static_cast<DWORD>(bytes.size()),
                          const_cast<char*>(bytes.data())};
    DWORD_PTR accepted = 0;
    if (!SendMessageTimeoutW(caller, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                             reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000, &accepted) ||
        !accepted)
      return;  // the caller gave up
    reply.offset += static_cast<uint32_t>(reply.data.size());
  } while (reply.offset < data.size());
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COPYDATA: {
      auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      ternrpc_wire::Request request;
      if (!cds || cds->dwData != ternrpc_wire::kRequestTag ||
          !ternrpc_wire::DecodeRequest(cds->lpData, cds->cbData, &request))
        return FALSE;
      Record(request);
      if (Has(L"vanish")) {
        // Gone while the caller waits for the answer.
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return TRUE;
      }
      g_pending.push_back(std::move(request));
      // Answer after the sender's call returns, as a real client answering from its loop.
      if (Has(L"delay"))
        SetTimer(hwnd, kDelayTimer, static_cast<UINT>(_wtoi(Option(L"delay").c_str())), nullptr);
      else
        PostMessageW(hwnd, kAnswerMessage, 0, 0);
      return TRUE;
    }
    case WM_TIMER:
      KillTimer(hwnd, kDelayTimer);
      [[fallthrough]];
    case kAnswerMessage:
      while (!g_pending.empty()) {
        ternrpc_wire::Request request = std::move(g_pending.front());
        g_pending.pop_front();
        SendAnswer(hwnd, request);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void ParseOptions() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.compare(0, 2, L"--") != 0)
      continue;
    size_t eq = arg.find(L'=');
    if (eq == std::wstring::npos)
      g_options[arg.substr(2)] = L"";
    else
      g_options[arg.substr(2, eq - 2)] = arg.substr(eq + 1);
  }
  LocalFree(argv);
}

void RecordLaunch(const wchar_t* command_line) {
  wchar_t exe[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
  std::wstring path(exe, n);
  path = path.substr(0, path.find_last_of(L'\\')) + L"\\Tern.launch.log";
  std::string line = Utf8(command_line) + "\n";
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
  ParseOptions();
  if (Has(L"funcmethod")) {
    RecordLaunch(command_line);
    return 0;
  }
  const wchar_t* window_class = Option(L"class") == L"pelican" ? kPelicanClass : kTernClass;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = window_class;
  if (!RegisterClassW(&wc))
    return 2;
  // Hidden top-level, as a real client's window: message-only windows are not enumerable.
  HWND hwnd = CreateWindowExW(0, window_class, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              instance, nullptr);
  if (!hwnd)
    return 3;
  if (Has(L"ready")) {
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, Option(L"ready").c_str());
    if (ready) {
      SetEvent(ready);
      CloseHandle(ready);
    }
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
