#include "util/warden_service_win.h"

#include "base/logging.h"

namespace setup_util {

namespace {

class ScopedServiceHandle {
 public:
  explicit ScopedServiceHandle(SC_HANDLE handle) : handle_(handle) {}
  ~ScopedServiceHandle() {
    if (handle_)
      CloseServiceHandle(handle_);
  }
  ScopedServiceHandle(const ScopedServiceHandle&) = delete;
  ScopedServiceHandle& operator=(const ScopedServiceHandle&) = delete;
  SC_HANDLE get() const { return handle_; }

 private:
  SC_HANDLE handle_;
};

}  // namespace

bool StopAndDeleteWardenCoreService(DWORD stop_limit_ms) {
  ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager.get()) {
    LOG(ERROR) << "UnInstWardenCore : Can't open SCM for deleting WardenCore service";
    return false;
  }
  ScopedServiceHandle service(OpenServiceW(manager.get(), L"WardenCore", SERVICE_ALL_ACCESS));
  if (!service.get()) {
    DWORD error = GetLastError();
    if (error == ERROR_SERVICE_DOES_NOT_EXIST)
      LOG(INFO) << "UnInstWardenCore : Can't find service, skip this step.";
    else
      LOG(ERROR) << "UnInstWardenCore : Open service failed(" << error << ")!";
    return false;
  }
  DWORD start = GetTickCount();
  SERVICE_STATUS status = {};
  bool stopped =
      QueryServiceStatus(service.get(), &status) && status.dwCurrentState == SERVICE_STOPPED;
  if (stopped) {
    LOG(INFO) << "UnInstWardenCore : Service has stopped. Going to delete it.\n";
  } else {
    if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status))
      LOG(ERROR) << "UnInstWardenCore : Service could not be stopped, Error Cod(" << GetLastError()
                 << ")!\n";
    for (;;) {
      if (!QueryServiceStatus(service.get(), &status)) {
        LOG(ERROR) << "UnInstWardenCore : Query service status failed(" << GetLastError() << ")!\n";
        break;
      }
      if (status.dwCurrentState == SERVICE_STOPPED) {
        stopped = true;
        LOG(INFO) << "UnInstWardenCore : Succeeded stopping service!\n";
        break;
      }
      if (GetTickCount() - start > stop_limit_ms) {
        LOG(ERROR) << "UnInstWardenCore : Stopping service timeout!\n";
        break;
      }
      Sleep(100);
    }
    if (!stopped)
      LOG(ERROR) << "UnInstWardenCore : Service couldn't be stopped (" << GetLastError() << ":"
                 << status.dwCurrentState << ")!\n";
  }
  bool deleted = DeleteService(service.get()) != FALSE;
  if (deleted)
    LOG(INFO) << "UnInstWardenCore : Succeeded deleting service !\n";
  else
    LOG(ERROR) << "UnInstWardenCore : Delete service error(" << GetLastError() << ")!\n";
  LOG(INFO) << "#### UnInstWardenCore, cost(" << GetTickCount() - start << ")----\n";
  return deleted;
}

}  // namespace setup_util
