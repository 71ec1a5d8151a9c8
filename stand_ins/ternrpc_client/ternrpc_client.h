// Window-targeted RPC client: a call names a client window, a method and UTF-8 JSON
// parameters and gets back the client's UTF-8 JSON result.
#pragma once

#include <windows.h>
#include <stddef.h>

#ifdef TERNRPC_CLIENT_BUILD
#define TERNRPC_API __declspec(dllexport)
#else
#define TERNRPC_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tern_rpc_context tern_rpc_context;
typedef struct tern_rpc_result tern_rpc_result;

// Transport error codes reported through tern_rpc_get_invoke_error_code.
enum {
  TERN_RPC_OK = 0,
  TERN_RPC_E_NO_TARGET = 1,  // no target window was set, or it is gone
  TERN_RPC_E_TIMEOUT = 2,    // the client did not answer within the timeout
  TERN_RPC_E_SEND = 3,       // the request could not be delivered
  TERN_RPC_E_BAD_REPLY = 4,  // the reply was malformed
  TERN_RPC_E_SERVER = 5,     // the client answered with an error of its own
};

TERNRPC_API tern_rpc_context* tern_rpc_alloc_context(void);
TERNRPC_API void tern_rpc_free_context(tern_rpc_context* context);
// 0 on success; an error number when hwnd is not a window.
TERNRPC_API int tern_rpc_set_target_window(tern_rpc_context* context, HWND hwnd);
TERNRPC_API int tern_rpc_set_timeout(tern_rpc_context* context, unsigned int milliseconds);
TERNRPC_API int tern_rpc_set_method(tern_rpc_context* context, const char* method, size_t length);
TERNRPC_API int tern_rpc_set_params(tern_rpc_context* context, const char* params, size_t length);
// Always returns a result (null only when out of memory or context is null); whether the
// call succeeded is read from the result.
TERNRPC_API tern_rpc_result* tern_rpc_invoke(tern_rpc_context* context, unsigned int request_id);
// The client's result text and its length, or null when the call failed.
TERNRPC_API const char* tern_rpc_get_result_data(tern_rpc_result* result, size_t* length);
TERNRPC_API int tern_rpc_get_invoke_error_code(tern_rpc_result* result, unsigned int* code);
TERNRPC_API int tern_rpc_get_server_error_code(tern_rpc_result* result, unsigned int* code);
// UTF-8 text; empty when there was no error. Owned by the result.
TERNRPC_API const char* tern_rpc_get_invoke_error_msg(tern_rpc_result* result);
TERNRPC_API void tern_rpc_free_invoke_result(tern_rpc_result* result);

#ifdef __cplusplus
}
#endif
