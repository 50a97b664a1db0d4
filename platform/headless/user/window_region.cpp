// Window shapes (SetWindowRgn) and finding the window under a point through them.
#include "gdi/objects.h"
#include "user/desktop_state.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;

namespace {

// Whether a window shows at a screen point: visible, inside its rectangle and its shape.
bool shows_at(const Window& w, POINT p) {
  if (!(w.style & WS_VISIBLE)) return false;
  const RECT r = screen_rect(w);
  if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom) return false;
  return !w.region || PtInRegion(w.region, p.x - r.left, p.y - r.top);
}

// The first of the windows (z-order, top first) that shows at the point.
HWND first_showing(const std::vector<HWND>& windows, POINT p) {
  for (HWND h : windows) {
    const Window* w = window_of(h);
    if (w && shows_at(*w, p)) return h;
  }
  return nullptr;
}

}  // namespace

extern "C" {

int WINAPI SetWindowRgn(HWND window, HRGN region, BOOL) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return 0;
  if (region && !gdi::take_region_for_window(region)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  // The window owns its shape from now on and deletes the one it had.
  if (w->region && w->region != region) gdi::delete_window_region(w->region);
  w->region = region;
  return 1;
}

int WINAPI GetWindowRgn(HWND window, HRGN region) {
  std::lock_guard lock(platform_lock());
  Window* w = window_of(window);
  if (!w || !w->region || !region) return ERROR;
  return CombineRgn(region, w->region, nullptr, RGN_COPY);
}

int WINAPI GetWindowRgnBox(HWND window, LPRECT box) {
  std::lock_guard lock(platform_lock());
  Window* w = window_of(window);
  if (!w || !w->region || !box) return ERROR;
  return GetRgnBox(w->region, box);
}

HWND WINAPI WindowFromPoint(POINT point) {
  std::lock_guard lock(platform_lock());
  DesktopState& d = desktop();
  const Window* desktop_window = window_of(d.desktop_window);
  HWND found = desktop_window ? first_showing(desktop_window->children, point) : nullptr;
  if (!found) return d.desktop_window;
  // Down through the children that show there; a disabled child leaves the point to its parent.
  for (;;) {
    HWND child = first_showing(window_of(found)->children, point);
    if (!child || (window_of(child)->style & WS_DISABLED)) return found;
    found = child;
  }
}

}  // extern "C"
