// Windows builds: the platform objects made through the library, the framework and the test
// program and not yet released, counted by hooking the creation and release calls those
// modules import. GetGuiResources would do for GDI objects on Windows, but Wine answers it
// with 0, and it says nothing of process handles or remote memory.
#pragma once

#ifdef _WIN32
#include <string>

namespace veneer::test::live {

enum Kind { Bitmap, Brush, Pen, Font, Region, DeviceContext, ProcessHandle, FileHandle, RemoteAllocation, KindCount };
const char* kind_name(Kind kind);

struct Counts {
  long n[KindCount] = {};
};

// Installs the hooks (once) and returns what could not be hooked: a module not loaded, or a
// creation call imported that no hook follows. Empty when the counts can be trusted.
const std::string& install();
Counts counts();

}  // namespace veneer::test::live
#endif
