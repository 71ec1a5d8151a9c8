#include "app/platform_environment.h"

#include <string>

#include "lattice.h"

namespace docwick {

namespace {

// The UI framework creates all its objects through the platform core.
class CCoreObjectFactory : public ILatticeObjectFactory {
 public:
  HRESULT STDMETHODCALLTYPE CreateObject(REFCLSID clsid, REFIID iid, void** out) override {
    IKSPlatformCore* core = nullptr;
    if (FAILED(GetPlatformCore(&core)) || !core)
      return E_FAIL;  // no core: the environment is not open
    HRESULT hr = core->CreateObject(clsid, iid, out);
    core->Release();
    return hr;
  }
};

CCoreObjectFactory g_coreObjectFactory;

// The platform file sits in the parent of the program's folder.
bool ConfigPath(std::wstring* out) {
  std::wstring relative = ks::ParentDir(ks::ExeDir()) + L"\\Docwick.tpc";
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(relative.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  if (n > full.size()) {
    full.assign(n, L'\0');
    n = GetFullPathNameW(relative.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  }
  if (n == 0 || n >= full.size())
    return false;
  full.resize(n);
  *out = full;
  return true;
}

}  // namespace

class CPlatformEnvironment::CLogicWorkerFactory : public spool::WorkerFactory {
 public:
  spool::Thread* CreateWorker() override {
    auto* worker = new spool::Thread("Logical:work");
    if (!worker->StartWithOptions(spool::Thread::Options())) {
      delete worker;
      return nullptr;
    }
    return worker;
  }
  void DestroyWorker(spool::Thread* worker) override {
    worker->Stop();
    delete worker;
  }
};

CPlatformEnvironment::CPlatformEnvironment(bool oleInitialized)
    : m_oleInitialized(oleInitialized) {}

CPlatformEnvironment::~CPlatformEnvironment() {
  Close();
}

CPlatformEnvironment::OpenResult CPlatformEnvironment::Open() {
  if (FAILED(CreateObjectFromDllFile(L"Keystone.dll", CLSID_KSPlatformCore, IID_IKSPlatformCore,
                                     reinterpret_cast<void**>(&m_pCore))) ||
      !m_pCore) {
    m_pCore = nullptr;
    return OpenResult::kKeystoneFailed;
  }
  std::wstring config;
  if (!ConfigPath(&config))
    return OpenResult::kKeystoneFailed;
  m_platformStarted = true;
  if (!InitPlatform(config.c_str()) || !InitPlatformI18NConfig() || !InitPlatformFileSystem() ||
      !InitPlatformCoreConfig() || !InitPlatformModeConfig() || !InitNetwork())
    return OpenResult::kKeystoneFailed;

  SetCustomObjectFactory(&g_coreObjectFactory);
  if (!InitPlatformLatticeConfig())
    return OpenResult::kLatticeFailed;

  m_mainLoop.reset(new spool::MessageLoopForUI());
  m_logicThread.reset(new spool::Thread("Logical"));
  m_workerFactory.reset(new CLogicWorkerFactory());
  if (m_logicThread->StartWithOptions(spool::Thread::Options()))
    m_logicThread->message_loop()->SetWorkerFactory(m_workerFactory.get());
  SetMainAndLogicMsgLoop(m_mainLoop.get(), m_logicThread->message_loop());
  SetMainAndLogicThreadId(GetCurrentThreadId(), m_logicThread->thread_id());
  return OpenResult::kOk;
}

void CPlatformEnvironment::RunMainLoop() {
  if (m_mainLoop)
    m_mainLoop->Run();
}

void CPlatformEnvironment::Close() {
  if (m_platformStarted) {
    OnExitCoreCenter();
    OnExitWinMain();
    OnUninitCom();
  }
  if (m_pCore) {
    m_pCore->Shutdown();
    m_pCore->Release();
    m_pCore = nullptr;
  }
  SetCustomObjectFactory(nullptr);
  if (m_oleInitialized) {
    OleUninitialize();
    m_oleInitialized = false;
  }
  if (m_platformStarted) {
    ClearDeadQueue();
    m_platformStarted = false;
  }
  if (m_logicThread) {
    m_logicThread->Stop();
    m_logicThread.reset();
  }
  m_workerFactory.reset();
  m_mainLoop.reset();
}

}  // namespace docwick
