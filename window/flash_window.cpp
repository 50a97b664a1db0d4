#include "frame/platform.h"
#include <veneer/veneer.h>

namespace {
typedef BOOL(WINAPI* FlashWindowExProc)(PFLASHWINFO);
constexpr DWORD flash_interval_ms = 400;
}  // namespace

// FlashWindowEx is looked up at every call: older platforms lack it, and then nothing flashes.
void AfxFlashWindow(HWND window, int count) {
  HMODULE user = GetModuleHandleA("user32.dll");
  FARPROC entry = user ? GetProcAddress(user, "FlashWindowEx") : nullptr;
  if (!entry) return;
  FLASHWINFO info{};
  info.cbSize = sizeof(FLASHWINFO);
  info.hwnd = window;
  info.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
  info.uCount = static_cast<UINT>(count);
  info.dwTimeout = flash_interval_ms;
  reinterpret_cast<FlashWindowExProc>(reinterpret_cast<void (*)()>(entry))(&info);
}
