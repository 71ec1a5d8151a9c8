#include "uninstall_upload_result.h"

#include "base/logging.h"
#include "setup/setup_context.h"
#include "task/task_class_registry.h"
#include "upload_endpoint.h"
#include "upload_request.h"
#include "upload_system_info_win.h"
#include "upload_transport_win.h"

namespace uninstall {

void UninstallUploadResult::Run(task_object::RuntimeObject*) {
  std::wstring version;
  bool result = SetupContext::GetWStringValue("UninstallReportVersion", &version);
  DCHECK(result);
  UploadReport report{ToAnsi(version), ReadOsVersionField(), ReadMsiVersionField()};

  uint32_t address = ResolveUploadServer();
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&address);
  std::string request = BuildUploadRequest(report, FormatIPv4(bytes), kUploadPort);
  if (request.empty())
    return;
  for (int attempt = 0; attempt < kUploadAttempts; ++attempt) {
    std::string reply;
    if (ExchangeOnce(address, kUploadPort, request, &reply) && IsUploadAccepted(reply))
      return;
  }
}

}  // namespace uninstall

REGISTER_TASK_CLASS(uninstall::UninstallUploadResult, UninstallUploadResult)
