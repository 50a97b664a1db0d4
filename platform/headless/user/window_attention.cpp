// What the desktop shows to draw the user's eye: painting on request, flashing and the
// caption animation. The headless desktop has no timers; it keeps the state a real desktop
// would show (see testing.h).
#include "user/desktop_state.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;

namespace {

void redraw(HWND window, UINT flags) {
  Window* w = window_of(window);
  if (!w) return;
  if (flags & RDW_INVALIDATE) w->invalid = true;
  if (flags & RDW_VALIDATE) w->invalid = false;
  if ((flags & RDW_ERASE) && (flags & (RDW_UPDATENOW | RDW_ERASENOW)) && w->invalid) ++w->erases;
  if ((flags & RDW_UPDATENOW) && w->invalid) {
    ++w->paints;
    send_message(window, WM_PAINT, 0, 0);
    if ((w = window_of(window))) w->invalid = false;  // painted: the update region is empty
  }
  if (!(w = window_of(window)) || !(flags & RDW_ALLCHILDREN)) return;
  for (HWND c : std::vector<HWND>(w->children)) redraw(c, flags);
}

}  // namespace

extern "C" {

BOOL WINAPI RedrawWindow(HWND window, const RECT*, HRGN, UINT flags) {
  std::lock_guard lock(platform_lock());
  if (!window) window = desktop().desktop_window;
  if (!checked_window(window)) return FALSE;
  redraw(window, flags);
  return TRUE;
}

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
