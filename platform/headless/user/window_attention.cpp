// What the desktop shows to draw the user's eye: flashing and the caption animation. The
// headless desktop keeps the state a real desktop would show (see testing.h).
#include "user/desktop_state.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;

extern "C" {

BOOL WINAPI FlashWindowEx(PFLASHWINFO info) {
  if (!call_allowed("FlashWindowEx")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::lock_guard lock(platform_lock());
  if (!info) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  desktop();
  Window* w = window_of(info->hwnd);
  if (info->cbSize != sizeof(FLASHWINFO) || !w) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The result is the state before the call: whether the window was flashing.
  BOOL was = w->flash.flashing ? TRUE : FALSE;
  ++w->flash.requests;
  if (info->dwFlags == FLASHW_STOP) {
    w->flash.flashing = false;
    w->flash.flags = 0;
    return was;
  }
  w->flash.flashing = true;
  w->flash.flags = info->dwFlags;
  w->flash.count = info->uCount;
  w->flash.timeout = info->dwTimeout;
  return was;
}

BOOL WINAPI DrawAnimatedRects(HWND window, int animation, const RECT* from, const RECT* to) {
  if (!call_allowed("DrawAnimatedRects")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::lock_guard lock(platform_lock());
  // Wine answers TRUE whatever it is given; the desktop remembers the last animation it shows.
  if (from && to) {
    auto& last = desktop().last_animation;
    last.window = window;
    last.animation = animation;
    last.from = *from;
    last.to = *to;
    ++last.count;
  }
  return TRUE;
}

}  // extern "C"
