#include "tests/support/emulated_wine.h"

#include <initializer_list>

#include <veneer/framework/win32_api.h>

namespace veneer::test {

bool emulated_32bit_wine() {
#if defined(_WIN32) && !defined(_WIN64)
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
  // The host's binfmt_misc entries, seen through Wine's drive for the host's root.
  for (const char* entry :
       {"Z:\\proc\\sys\\fs\\binfmt_misc\\veneer-i386", "Z:\\proc\\sys\\fs\\binfmt_misc\\qemu-i386"}) {
    if (GetFileAttributesA(entry) != INVALID_FILE_ATTRIBUTES) return true;
  }
#endif
  return false;
}

}  // namespace veneer::test
