// The module entry and the module-wide state of the library.
#pragma once

#include "frame/platform.h"

namespace veneer::frame {

// The library's extension-module record, all zero until the module entry fills it.
AFX_EXTENSION_MODULE& extension_module();

// The cached application directory: constructed empty before the module entry runs at load,
// destroyed after it runs at unload.
CStringT& app_dir_cache();

}  // namespace veneer::frame

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
