#include "rpc/rpc.h"

#include <atomic>

#include <json/json.h>

#include "app/log.h"
#include "rpc/client_windows.h"
#include "rpc/json_text.h"
#include "ternrpc_client.h"

namespace docwick {
namespace Rpc {

namespace {

const unsigned int kTimeoutMs = 5000;
std::atomic<uint32_t> g_requestNumber{0};

// Where one operation logs: its word in the messages, its category and function.
struct CallSite {
  const wchar_t* word;
  const wchar_t* category;
  const char* function;
};

class RpcContext {
 public:
  RpcContext() : m_context(tern_rpc_alloc_context()) {}
  ~RpcContext() {
    if (m_context)
      tern_rpc_free_context(m_context);
  }
  RpcContext(const RpcContext&) = delete;
  RpcContext& operator=(const RpcContext&) = delete;
  tern_rpc_context* get() const { return m_context; }

 private:
  tern_rpc_context* m_context;
};

class RpcResult {
 public:
  explicit RpcResult(tern_rpc_result* result) : m_result(result) {}
  ~RpcResult() {
    if (m_result)
      tern_rpc_free_invoke_result(m_result);
  }
  RpcResult(const RpcResult&) = delete;
  RpcResult& operator=(const RpcResult&) = delete;
  tern_rpc_result* get() const { return m_result; }

 private:
  tern_rpc_result* m_result;
};

// The shared call sequence; true with the parsed result.
bool Call(const CallSite& site,
          HWND hwnd,
          const std::string& method,
          const std::string& params,
          Json::Value* result) {
  RpcContext context;
  if (!context.get()) {
    DW_LOG_ERROR(site.category, site.function, L"%s alloc_context fail.", site.word);
    return false;
  }
  int ret = tern_rpc_set_target_window(context.get(), hwnd);
  if (ret != 0) {
    DW_LOG_ERROR(site.category, site.function, L"%s set_target_window fail. ret[%d]", site.word,
                 ret);
    return false;
  }
  tern_rpc_set_timeout(context.get(), kTimeoutMs);
  tern_rpc_set_method(context.get(), method.data(), method.size());
  tern_rpc_set_params(context.get(), params.data(), params.size());
  RpcResult invoked(tern_rpc_invoke(context.get(), ++g_requestNumber));
  if (!invoked.get()) {
    DW_LOG_ERROR(site.category, site.function, L"%s invoke fail.", site.word);
    return false;
  }
  size_t length = 0;
  const char* data = tern_rpc_get_result_data(invoked.get(), &length);
  if (!data) {
    unsigned int invokeError = 0;
    unsigned int serverError = 0;
    tern_rpc_get_invoke_error_code(invoked.get(), &invokeError);
    tern_rpc_get_server_error_code(invoked.get(), &serverError);
    const char* message = tern_rpc_get_invoke_error_msg(invoked.get());
    std::wstring wideMessage = ks::FromUtf8(message ? message : "");
    DW_LOG_ERROR(site.category, site.function,
                 L"%s get_result_data fail invoke_error_code[%u] server_error_code[%u] "
                 L"invoke_error_msg[%s]",
                 site.word, invokeError, serverError, wideMessage.c_str());
    return false;
  }
  if (!ParseJsonText(data, length, result)) {
    DW_LOG_ERROR(site.category, site.function, L"%s parse JSON fail.", site.word);
    return false;
  }
  return true;
}

bool ResultFlag(const Json::Value& result) {
  const Json::Value* flag = JsonMember(result, "result");
  return flag && flag->isBool() && flag->asBool();
}

}  // namespace

std::shared_ptr<ClientBasicInfo> GetClientBasicInfo(HWND hwnd) {
  const CallSite site = {L"GetClientBasicInfo", L"RPC", "Rpc::GetClientBasicInfo"};
  Json::Value result;
  if (!Call(site, hwnd, "Docx.GetClientBasicInfo", "{}", &result))
    return nullptr;
  auto info = std::make_shared<ClientBasicInfo>();
  ReadClientBasicInfo(result, info.get());
  return info;
}

bool LocalDocFileOnlinePreviewViaTern(HWND hwnd, const std::wstring& file_path) {
  const CallSite site = {L"LocalDocFileOnlinePreviewViaTern", L"RPC",
                         "Rpc::LocalDocFileOnlinePreviewViaTern"};
  Json::Value params(Json::objectValue);
  params["file_path"] = ks::ToUtf8(file_path);
  Json::Value result;
  return Call(site, hwnd, "LocalDocFileOnlinePreview", CompactJson(params), &result) &&
         ResultFlag(result);
}

bool DoYiTiaoLongViaPelican(HWND hwnd, uint32_t uin, bool auto_logon, const std::string& url) {
  const CallSite site = {L"DoYiTiaoLongViaPelican", L"RPC", "Rpc::DoYiTiaoLongViaPelican"};
  Json::Value params(Json::objectValue);
  params["bAutoLogonTern"] = auto_logon;
  params["dwUin"] = static_cast<Json::UInt>(uin);
  params["strOpenUrl"] = url;
  Json::Value result;
  return Call(site, hwnd, "DoYiTiaoLong", CompactJson(params), &result) && ResultFlag(result);
}

void ReportPreviewMenuItemClick() {
  const CallSite site = {L"LocalFilePreviewMenuItemClickDataReportViaTern", L"DocxPreviewRunner",
                         "DocxPreviewRunner::LocalFilePreviewMenuItemClickDataReportViaTern"};
  HWND hwnd = FindWindowExW(nullptr, nullptr, kClientWindowClass, nullptr);
  if (!hwnd) {
    DW_LOG_ERROR(site.category, site.function,
                 L"LocalFilePreviewMenuItemClickDataReportViaTern hWnd == NULL");
    return;
  }
  Json::Value result;
  if (!Call(site, hwnd, "Docx.DataReport.Report0X8008BF1", "{}", &result))
    return;
  const Json::Value* count = JsonMember(result, "report_count");
  if (count && count->isNumeric()) {
    DW_LOG_INFO(site.category, site.function,
                L"LocalFilePreviewMenuItemClickDataReportViaTern result JSON report_count[%u]",
                count->isUInt() ? count->asUInt() : 0u);
  } else {
    DW_LOG_ERROR(site.category, site.function,
                 L"LocalFilePreviewMenuItemClickDataReportViaTern result JSON miss report_count");
  }
}

}  // namespace Rpc
}  // namespace docwick
