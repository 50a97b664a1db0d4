// Window geometry: the non-client frame that follows the style (Wine's metrics: a 4-pixel
// sizing frame, 3-pixel dialog frame, 1-pixel border, 19-pixel caption, 16 for tool windows),
// client and screen coordinates, moving and sizing with the tracking limits, and SetWindowPos.
#include <algorithm>

#include "user/desktop_state.h"
#include "user/window_paint.h"
#include <veneer/headless/kernel_base.h>

namespace veneer::headless {
namespace {

constexpr int caption_height = 19;
constexpr int small_caption_height = 16;
constexpr int min_track_width = 112;
constexpr int min_track_height = 27;
constexpr int max_track_width = screen_width + 12;
constexpr int max_track_height = screen_height + 12;

// The width of the outer frame on each side.
int frame_width(DWORD style, DWORD ex_style) {
  int adjust = 0;
  if ((ex_style & (WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME)) == WS_EX_STATICEDGE)
    adjust = 1;
  else if ((ex_style & WS_EX_DLGMODALFRAME) || (style & (WS_THICKFRAME | WS_DLGFRAME)))
    adjust = 2;
  if (style & WS_THICKFRAME) ++adjust;  // the sizing border is one pixel wider than a dialog frame
  if ((style & (WS_BORDER | WS_DLGFRAME)) || (ex_style & WS_EX_DLGMODALFRAME)) ++adjust;
  return adjust;
}

RECT style_insets(DWORD style, DWORD ex_style) {
  int f = frame_width(style, ex_style);
  RECT r{f, f, f, f};
  if ((style & WS_CAPTION) == WS_CAPTION)
    r.top += (ex_style & WS_EX_TOOLWINDOW) ? small_caption_height : caption_height;
  if (ex_style & WS_EX_CLIENTEDGE) {
    r.left += 2;
    r.top += 2;
    r.right += 2;
    r.bottom += 2;
  }
  return r;
}

bool changed(const RECT& a, const RECT& b) {
  return a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom;
}

}  // namespace

int outer_frame_width(const Window& w) { return frame_width(w.style, w.ex_style); }

RECT frame_insets(const Window& w) {
  RECT r = style_insets(w.style, w.ex_style);
  r.left += w.control_insets.left;
  r.top += w.control_insets.top;
  r.right += w.control_insets.right;
  r.bottom += w.control_insets.bottom;
  return r;
}

RECT client_rect_in_parent(const Window& w) {
  // A minimised top-level window has no client area; its origin is the window's corner.
  if (w.iconic && is_top_level(w)) return RECT{w.rect.left, w.rect.top, w.rect.left, w.rect.top};
  RECT in = frame_insets(w);
  RECT c{wrapped_sum(w.rect.left, in.left), wrapped_sum(w.rect.top, in.top), wrapped_sum(w.rect.right, -in.right),
         wrapped_sum(w.rect.bottom, -in.bottom)};
  c.right = std::max(c.right, c.left);
  c.bottom = std::max(c.bottom, c.top);
  return c;
}

POINT client_origin_on_screen(const Window& w) {
  if (!window_of(w.parent)) return POINT{w.rect.left, w.rect.top};  // the desktop
  POINT base = client_origin_on_screen(*window_of(w.parent));
  RECT c = client_rect_in_parent(w);
  return POINT{wrapped_sum(base.x, c.left), wrapped_sum(base.y, c.top)};
}

RECT screen_rect(const Window& w) {
  if (!window_of(w.parent)) return w.rect;
  POINT base = client_origin_on_screen(*window_of(w.parent));
  return RECT{wrapped_sum(w.rect.left, base.x), wrapped_sum(w.rect.top, base.y), wrapped_sum(w.rect.right, base.x),
              wrapped_sum(w.rect.bottom, base.y)};
}

void clamp_size(const Window& w, int& width, int& height) {
  // Sizable and overlapped windows keep to the tracking limits; others only refuse negative sizes.
  if ((w.style & WS_THICKFRAME) || !(w.style & (WS_POPUP | WS_CHILD))) {
    width = std::clamp(width, min_track_width, max_track_width);
    height = std::clamp(height, min_track_height, max_track_height);
  } else {
    width = std::max(width, 0);
    height = std::max(height, 0);
  }
}

void place_window(HWND window, RECT rect) {
  Window* w = window_of(window);
  if (!w) return;
  RECT old_client = client_rect_in_parent(*w);
  const RECT old_rect = w->rect;
  w->rect = rect;
  window_placed(window, old_rect);
  if (!(w = window_of(window))) return;
  RECT client = client_rect_in_parent(*w);
  int old_w = old_client.right - old_client.left, old_h = old_client.bottom - old_client.top;
  int new_w = client.right - client.left, new_h = client.bottom - client.top;
  if (old_client.left != client.left || old_client.top != client.top) {
    send_message(window, WM_MOVE, 0, MAKELONG(client.left, client.top));
    if (!(w = window_of(window))) return;
  }
  if (old_w != new_w || old_h != new_h || w->iconic) {
    WPARAM kind = w->iconic ? SIZE_MINIMIZED : w->zoomed ? SIZE_MAXIMIZED : SIZE_RESTORED;
    send_message(window, WM_SIZE, kind, MAKELONG(new_w, new_h));
  }
}

}  // namespace veneer::headless

using namespace veneer::headless;

extern "C" {

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
  if (!call_allowed("GetWindowRect")) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return FALSE;
  if (!rect) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  *rect = screen_rect(*w);
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return FALSE;
  if (!rect) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  RECT c = client_rect_in_parent(*w);
  *rect = RECT{0, 0, c.right - c.left, c.bottom - c.top};
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND window, LPPOINT point) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w || !point) return FALSE;
  POINT o = client_origin_on_screen(*w);
  point->x = wrapped_sum(point->x, -static_cast<long long>(o.x));
  point->y = wrapped_sum(point->y, -static_cast<long long>(o.y));
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w || !point) return FALSE;
  POINT o = client_origin_on_screen(*w);
  point->x = wrapped_sum(point->x, o.x);
  point->y = wrapped_sum(point->y, o.y);
  return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  std::lock_guard lock(platform_lock());
  POINT a{0, 0}, b{0, 0};
  if (from) {
    Window* w = checked_window(from);
    if (!w) return 0;
    a = client_origin_on_screen(*w);
  }
  if (to) {
    Window* w = checked_window(to);
    if (!w) return 0;
    b = client_origin_on_screen(*w);
  }
  LONG dx = wrapped_sum(a.x, -static_cast<long long>(b.x)), dy = wrapped_sum(a.y, -static_cast<long long>(b.y));
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x = wrapped_sum(points[i].x, dx);
    points[i].y = wrapped_sum(points[i].y, dy);
  }
  return MAKELONG(LOWORD(dx), LOWORD(dy));
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD ex_style) {
  if (!rect) return FALSE;
  RECT in = style_insets(style, ex_style);
  rect->left -= in.left;
  rect->top -= in.top;
  rect->right += in.right;
  rect->bottom += in.bottom;
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insert_after, int x, int y, int width, int height, UINT flags) {
  if (!call_allowed("SetWindowPos")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return FALSE;
  const bool special = insert_after == HWND_TOP || insert_after == HWND_BOTTOM || insert_after == HWND_TOPMOST ||
                       insert_after == HWND_NOTOPMOST;
  if (!(flags & SWP_NOZORDER) && !special && !window_of(insert_after)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window == desktop().desktop_window) return TRUE;

  RECT r = w->rect;
  if (!(flags & SWP_NOMOVE)) {
    r.right = wrapped_coordinate(static_cast<long long>(r.right) + x - r.left);
    r.bottom = wrapped_coordinate(static_cast<long long>(r.bottom) + y - r.top);
    r.left = x;
    r.top = y;
  }
  if (!(flags & SWP_NOSIZE)) {
    clamp_size(*w, width, height);
    r.right = wrapped_coordinate(static_cast<long long>(r.left) + width);
    r.bottom = wrapped_coordinate(static_cast<long long>(r.top) + height);
  }
  if (changed(r, w->rect)) {
    place_window(window, r);
    if (!(w = window_of(window))) return TRUE;
  }
  if (!(flags & SWP_NOZORDER) && insert_after != window) link_window(*w, insert_after);
  if (flags & SWP_SHOWWINDOW)
    show_window(window);
  else if (flags & SWP_HIDEWINDOW)
    hide_window(window);
  if (!(w = window_of(window))) return TRUE;
  if (!(flags & SWP_NOACTIVATE) && is_top_level(*w) && (w->style & WS_VISIBLE)) activate_window(window, false);
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(window, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : static_cast<UINT>(SWP_NOREDRAW)));
}

}  // extern "C"
