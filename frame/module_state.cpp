// Module-wide state, in definition order: the extension-module record, the cached
// application directory and, on hosts without DllMain, the load hooks that run the module
// entry. Statics of one translation unit are constructed in this order and destroyed in the
// reverse one, so the cache exists before the entry runs at load and outlives it at unload.
#include "frame/module_entry.h"

namespace {

AFX_EXTENSION_MODULE module_record{};
CStringT cached_app_dir;

#ifndef _WIN32
// The shared object's load and unload hooks run the module entry through the platform's
// loader, which fails a LoadLibraryA whose entry fails.
struct LoadHooks {
  LoadHooks() { HeadlessRunModuleEntry(self(), DllMain, DLL_PROCESS_ATTACH); }
  ~LoadHooks() { HeadlessRunModuleEntry(self(), DllMain, DLL_PROCESS_DETACH); }
  static HMODULE self() { return HeadlessModuleFromAddress(reinterpret_cast<const void*>(&DllMain)); }
};
LoadHooks load_hooks;
#endif

}  // namespace

namespace veneer::frame {
AFX_EXTENSION_MODULE& extension_module() { return module_record; }
CStringT& app_dir_cache() { return cached_app_dir; }
}  // namespace veneer::frame
