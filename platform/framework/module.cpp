#include <mutex>

#include <veneer/framework/afx_module.h>

namespace {

std::mutex& chain_lock() {
  static std::mutex m;
  return m;
}

CDynLinkLibrary* chain_head = nullptr;

}  // namespace

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system), m_pNextDLL(nullptr) {
  std::lock_guard lock(chain_lock());
  m_pNextDLL = chain_head;
  chain_head = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
  std::lock_guard lock(chain_lock());
  for (CDynLinkLibrary** link = &chain_head; *link; link = &(*link)->m_pNextDLL) {
    if (*link == this) {
      *link = m_pNextDLL;
      break;
    }
  }
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
  if (state.bInitialized) return TRUE;
  // The record of the registration lives in platform memory, so a module's load fails when
  // the platform cannot give the framework that memory.
  HGLOBAL record = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(HMODULE));
  if (!record) return FALSE;
  if (auto* slot = static_cast<HMODULE*>(GlobalLock(record))) {
    *slot = module;
    GlobalUnlock(record);
  }
  state.hModule = module;
  state.hResource = module;
  state.hRegistration = record;
  state.bInitialized = TRUE;
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
  for (;;) {
    CDynLinkLibrary* doomed = nullptr;
    {
      std::lock_guard lock(chain_lock());
      for (CDynLinkLibrary* link = chain_head; link; link = link->m_pNextDLL) {
        if (all || link->m_hModule == state.hModule) {
          doomed = link;
          break;
        }
      }
    }
    if (!doomed) break;
    delete doomed;
  }
  if (state.hRegistration) GlobalFree(state.hRegistration);
  state.hRegistration = nullptr;
  state.bInitialized = FALSE;
}

CDynLinkLibrary* AfxGetFirstDynLinkLibrary() {
  std::lock_guard lock(chain_lock());
  return chain_head;
}
