// Calls to running clients over the window-targeted RPC library. Every call is synchronous,
// waits at most 5000 ms, logs its failures and never retries.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <memory>
#include <string>

#include "rpc/client_basic_info.h"

namespace docwick {
namespace Rpc {

// Empty when the call failed.
std::shared_ptr<ClientBasicInfo> GetClientBasicInfo(HWND hwnd);
// The client's "result"; false when the call failed or "result" is missing or not a boolean.
bool LocalDocFileOnlinePreviewViaTern(HWND hwnd, const std::wstring& file_path);
bool DoYiTiaoLongViaPelican(HWND hwnd, uint32_t uin, bool auto_logon, const std::string& url);
// Counts one use of the preview command in the first Tern client's statistics.
void ReportPreviewMenuItemClick();

}  // namespace Rpc
}  // namespace docwick
