// The base library, the UI framework, the main UI loop and the "Logical" thread that a runner
// with windows opens around its work. Whatever was opened is closed again, in order, by Close or
// by the destructor, also after a failed Open.
#pragma once

#include <memory>

#include "keystone.h"
#include "spool.h"

namespace docwick {

class CPlatformEnvironment {
 public:
  enum class OpenResult { kOk, kKeystoneFailed, kLatticeFailed };

  // `oleInitialized`: the caller's OleInitialize succeeded; Close balances it.
  explicit CPlatformEnvironment(bool oleInitialized);
  ~CPlatformEnvironment();
  CPlatformEnvironment(const CPlatformEnvironment&) = delete;
  CPlatformEnvironment& operator=(const CPlatformEnvironment&) = delete;

  OpenResult Open();
  // Runs the main UI loop until a task quits the main-thread loop.
  void RunMainLoop();
  void Close();

 private:
  class CLogicWorkerFactory;

  bool m_oleInitialized;
  IKSPlatformCore* m_pCore = nullptr;
  bool m_platformStarted = false;
  std::unique_ptr<spool::MessageLoopForUI> m_mainLoop;
  std::unique_ptr<spool::Thread> m_logicThread;
  std::unique_ptr<CLogicWorkerFactory> m_workerFactory;
};

}  // namespace docwick
