#include "frame/module_entry.h"

#include <new>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  AFX_EXTENSION_MODULE& module = veneer::frame::extension_module();
  if (reason == DLL_PROCESS_ATTACH) {
    if (!AfxInitExtensionModule(module, reinterpret_cast<HMODULE>(instance))) return FALSE;
    // The framework's chain owns the registration object from here on. An allocation that
    // fails leaves the module unregistered, but loaded.
    new (std::nothrow) CDynLinkLibrary(module, FALSE);
  } else if (reason == DLL_PROCESS_DETACH) {
    AfxTermExtensionModule(module, FALSE);
  }
  return TRUE;
}
