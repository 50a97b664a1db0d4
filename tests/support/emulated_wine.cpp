#include "tests/support/emulated_wine.h"

#include <cstring>
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

bool wine_as_host_superuser() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
  // The Wine process's own status, seen through Wine's drive for the host's root.
  HANDLE status = CreateFileA("Z:\\proc\\self\\status", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (status == INVALID_HANDLE_VALUE) return false;
  char text[4096] = {};
  DWORD read = 0;
  ReadFile(status, text, sizeof text - 1, &read, nullptr);
  CloseHandle(status);
  const char* uid = std::strstr(text, "\nUid:");
  return uid && std::strncmp(uid + 5, "\t0\t", 3) == 0;  // the real user: 0
#else
  return false;
#endif
}

}  // namespace veneer::test
