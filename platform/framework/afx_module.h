// Extension-module registration: a library registers with the framework when it is loaded
// and leaves when it is unloaded; the framework keeps a chain of the registered modules.
#pragma once

#include <veneer/framework/win32_api.h>

struct AFX_EXTENSION_MODULE {
  BOOL bInitialized;
  HMODULE hModule;
  HMODULE hResource;
  HGLOBAL hRegistration;  // the framework's record of the module, in platform memory
};

class VENEER_FRAMEWORK_API CDynLinkLibrary {
 public:
  // Links the module into the chain of loaded extension modules.
  CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
  virtual ~CDynLinkLibrary();  // unlinks it
  CDynLinkLibrary(const CDynLinkLibrary&) = delete;
  CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

  HMODULE m_hModule;
  HMODULE m_hResource;
  BOOL m_bSystem;
  CDynLinkLibrary* m_pNextDLL;
};

// Fills the record for the module; 0 when the framework cannot register it, which fails the
// module's load. A record that is already filled is left as it is.
VENEER_FRAMEWORK_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
// Removes the module's links from the chain (every link when all is TRUE) and releases the
// record.
VENEER_FRAMEWORK_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// The chain of loaded extension modules, newest first; walk it through m_pNextDLL. The
// chain must not change while a host walks it.
VENEER_FRAMEWORK_API CDynLinkLibrary* AfxGetFirstDynLinkLibrary();
