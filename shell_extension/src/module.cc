#include "module.h"

#include "class_factory.h"

CDocwickExtModule g_module;

bool CDocwickExtModule::Init() {
  if (!InitializeCriticalSectionAndSpinCount(&m_csFactory, 0))
    return false;
  m_bCsInitialized = true;
  return true;
}

void CDocwickExtModule::Term() {
  ReleaseCachedFactories();
  if (m_bCsInitialized) {
    DeleteCriticalSection(&m_csFactory);
    m_bCsInitialized = false;
  }
}
