// Client side of the window-targeted RPC: one call sends the request to the target window with
// WM_COPYDATA and waits, delivering only sent messages, until the reply reaches a private reply
// window, the timeout passes or the target window goes away.
#include "ternrpc_client.h"

#include <new>
#include <string>

#include "ternrpc_wire.h"

struct tern_rpc_context {
  HWND target = nullptr;
  unsigned int timeout_ms = 5000;
  std::string method;
  std::string params;
};

struct tern_rpc_result {
  bool ok = false;
  unsigned int invoke_error = TERN_RPC_OK;
  unsigned int server_error = 0;
  std::string data;
  std::string error_msg;
};

namespace {

const wchar_t kReplyClass[] = L"TernRpcClientReplyWindow";

struct PendingCall {
  uint32_t request_id = 0;
  bool answered = false;
  bool malformed = false;
  uint32_t server_error = 0;
  std::string data;  // assembled from the reply's chunks
};

LRESULT CALLBACK ReplyWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_COPYDATA) {
    auto* pending = reinterpret_cast<PendingCall*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (!pending || !cds || cds->dwData != ternrpc_wire::kReplyTag)
      return FALSE;
    ternrpc_wire::Reply reply;
    if (!ternrpc_wire::DecodeReply(cds->lpData, cds->cbData, &reply)) {
      pending->malformed = true;
      pending->answered = true;
      return TRUE;
    }
    if (reply.request_id != pending->request_id || pending->answered)
      return FALSE;  // a late answer to an earlier call
    if (reply.offset != pending->data.size()) {
      pending->malformed = true;
      pending->answered = true;
      return TRUE;
    }
    pending->server_error = reply.server_error;
    pending->data += reply.data;
    pending->answered = pending->data.size() == reply.total_length;
    return TRUE;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

HWND CreateReplyWindow(PendingCall* pending) {
  HINSTANCE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ReplyWndProc), &module);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ReplyWndProc;
  wc.hInstance = module;
  wc.lpszClassName = kReplyClass;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  HWND hwnd =
      CreateWindowExW(0, kReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
  if (hwnd)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pending));
  return hwnd;
}

void Fail(tern_rpc_result* result, unsigned int code, const char* message) {
  result->ok = false;
  result->invoke_error = code;
  result->error_msg = message;
}

void Perform(tern_rpc_context* context, unsigned int request_id, tern_rpc_result* result) {
  HWND target = context->target;
  if (!target || !IsWindow(target))
    return Fail(result, TERN_RPC_E_NO_TARGET, "target window is gone");

  PendingCall pending;
  pending.request_id = request_id;
  HWND reply_window = CreateReplyWindow(&pending);
  if (!reply_window)
    return Fail(result, TERN_RPC_E_SEND, "cannot create the reply window");

  ternrpc_wire::Request request;
  request.request_id = request_id;
  request.reply_window = reinterpret_cast<uintptr_t>(reply_window);
  request.method = context->method;
  request.params = context->params;
  std::string bytes = ternrpc_wire::EncodeRequest(request);
  COPYDATASTRUCT cds = {ternrpc_wire::kRequestTag, static_cast<DWORD>(bytes.size()),
                        const_cast<char*>(bytes.data())};

  const DWORD start = GetTickCount();
  const DWORD timeout = context->timeout_ms;
  DWORD_PTR accepted = 0;
  SetLastError(0);
  LRESULT sent =
      SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(reply_window),
                          reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, timeout, &accepted);
  if (!sent) {
    DWORD error = GetLastError();
    if (!IsWindow(target))
      Fail(result, TERN_RPC_E_NO_TARGET, "target window is gone");
    else if (error == ERROR_TIMEOUT || error == 0)
      Fail(result, TERN_RPC_E_TIMEOUT, "the client did not answer in time");
    else
      Fail(result, TERN_RPC_E_SEND, "the request could not be delivered");
  } else if (!accepted && !pending.answered) {
    if (!IsWindow(target))
      Fail(result, TERN_RPC_E_NO_TARGET, "target window is gone");
    else
      Fail(result, TERN_RPC_E_SEND, "the client refused the request");
  } else {
    // The reply may already have arrived while the request was being handled.
    while (!pending.answered) {
      DWORD elapsed = GetTickCount() - start;
      if (elapsed >= timeout) {
        Fail(result, TERN_RPC_E_TIMEOUT, "the client did not answer in time");
        break;
      }
      if (!IsWindow(target)) {
        Fail(result, TERN_RPC_E_NO_TARGET, "target window is gone");
        break;
      }
      DWORD wait = timeout - elapsed;
      if (wait > 50)
        wait = 50;  // also notice a vanished target while waiting
      MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_SENDMESSAGE);
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (pending.answered) {
      if (pending.malformed) {
        Fail(result, TERN_RPC_E_BAD_REPLY, "malformed reply");
      } else if (pending.server_error != 0) {
        Fail(result, TERN_RPC_E_SERVER, pending.data.c_str());
        result->server_error = pending.server_error;
      } else {
        result->ok = true;
        result->data = std::move(pending.data);
      }
    }
  }
  SetWindowLongPtrW(reply_window, GWLP_USERDATA, 0);
  DestroyWindow(reply_window);
}

}  // namespace

extern "C" {

tern_rpc_context* tern_rpc_alloc_context(void) {
  return new (std::nothrow) tern_rpc_context();
}

void tern_rpc_free_context(tern_rpc_context* context) {
  delete context;
}

int tern_rpc_set_target_window(tern_rpc_context* context, HWND hwnd) {
  if (!context)
    return ERROR_INVALID_PARAMETER;
  if (!hwnd || !IsWindow(hwnd))
    return ERROR_INVALID_WINDOW_HANDLE;
  context->target = hwnd;
  return 0;
}

int tern_rpc_set_timeout(tern_rpc_context* context, unsigned int milliseconds) {
  if (!context)
    return ERROR_INVALID_PARAMETER;
  context->timeout_ms = milliseconds;
  return 0;
}

int tern_rpc_set_method(tern_rpc_context* context, const char* method, size_t length) {
  if (!context || (!method && length))
    return ERROR_INVALID_PARAMETER;
  context->method.assign(method ? method : "", length);
  return 0;
}

int tern_rpc_set_params(tern_rpc_context* context, const char* params, size_t length) {
  if (!context || (!params && length))
    return ERROR_INVALID_PARAMETER;
  context->params.assign(params ? params : "", length);
  return 0;
}

tern_rpc_result* tern_rpc_invoke(tern_rpc_context* context, unsigned int request_id) {
  if (!context)
    return nullptr;
  tern_rpc_result* result = new (std::nothrow) tern_rpc_result();
  if (result)
    Perform(context, request_id, result);
  return result;
}

const char* tern_rpc_get_result_data(tern_rpc_result* result, size_t* length) {
  if (!result || !result->ok)
    return nullptr;
  if (length)
    *length = result->data.size();
  return result->data.data();
}

int tern_rpc_get_invoke_error_code(tern_rpc_result* result, unsigned int* code) {
  if (!result || !code)
    return ERROR_INVALID_PARAMETER;
  *code = result->invoke_error;
  return 0;
}

int tern_rpc_get_server_error_code(tern_rpc_result* result, unsigned int* code) {
  if (!result || !code)
    return ERROR_INVALID_PARAMETER;
  *code = result->server_error;
  return 0;
}

const char* tern_rpc_get_invoke_error_msg(tern_rpc_result* result) {
  return result ? result->error_msg.c_str() : "";
}

void tern_rpc_free_invoke_result(tern_rpc_result* result) {
  delete result;
}

}  // extern "C"
