// Z-order, visibility, minimised and maximised states, activation and the foreground window,
// and the joining of threads' input. Activation follows what Wine shows: showing a hidden
// window or restoring one activates it and raises it; minimising does not hand activation on;
// hiding or destroying the active window activates the next visible, not minimised, one.
#include <algorithm>

#include "user/desktop_state.h"
#include "user/window_paint.h"
#include <veneer/headless/kernel_base.h>

namespace veneer::headless {
namespace {

constexpr int minimized_width = 160;
constexpr int minimized_height = 24;
constexpr int minimized_position = -32000;

bool topmost(HWND h) {
  Window* w = window_of(h);
  return w && (w->ex_style & WS_EX_TOPMOST);
}

RECT maximized_rect(const Window& w) {
  RECT area;
  if (is_top_level(w)) {
    area = desktop().work_area;
  } else {
    RECT c = client_rect_in_parent(*window_of(w.parent));
    area = RECT{0, 0, c.right - c.left, c.bottom - c.top};
  }
  // The frame lies outside the area; the caption stays inside it.
  int f = outer_frame_width(w);
  return RECT{area.left - f, area.top - f, area.right + f, area.bottom + f};
}

void minimize(HWND window) {
  Window* w = window_of(window);
  if (!w || w->iconic) return;
  if (!w->zoomed) w->normal_rect = w->rect;
  w->restore_to_maximized = w->zoomed;
  w->zoomed = false;
  w->iconic = true;
  int x = is_top_level(*w) ? minimized_position : w->rect.left;
  int y = is_top_level(*w) ? minimized_position : w->rect.top;
  place_window(window, RECT{x, y, x + minimized_width, y + minimized_height});
}

void maximize(HWND window) {
  Window* w = window_of(window);
  if (!w || w->zoomed) return;
  if (!w->iconic) w->normal_rect = w->rect;
  w->iconic = false;
  w->zoomed = true;
  place_window(window, maximized_rect(*w));
}

void restore(HWND window) {
  Window* w = window_of(window);
  if (!w) return;
  if (w->iconic) {
    w->iconic = false;
    if (w->restore_to_maximized) {
      w->zoomed = true;
      place_window(window, maximized_rect(*w));
    } else {
      place_window(window, w->normal_rect);
    }
  } else if (w->zoomed) {
    w->zoomed = false;
    place_window(window, w->normal_rect);
  }
}

}  // namespace

void show_window(HWND window) {
  Window* w = window_of(window);
  if (!w || (w->style & WS_VISIBLE)) return;
  w->style |= WS_VISIBLE;
  send_message(window, WM_SHOWWINDOW, TRUE, 0);
  window_shown(window);
}

void hide_window(HWND window) {
  Window* w = window_of(window);
  if (!w || !(w->style & WS_VISIBLE)) return;
  w->style &= ~WS_VISIBLE;
  send_message(window, WM_SHOWWINDOW, FALSE, 0);
  window_hidden(window);
  if (desktop().foreground == window) activate_next_after(window);
}

void link_window(Window& w, HWND insert_after) {
  Window* parent = window_of(w.parent);
  if (!parent) return;
  auto& list = parent->children;
  list.erase(std::remove(list.begin(), list.end(), w.self), list.end());
  const bool banded = is_top_level(w);
  auto first_normal = [&] { return std::find_if(list.begin(), list.end(), [](HWND h) { return !topmost(h); }); };
  if (insert_after == HWND_TOPMOST) {
    if (banded) w.ex_style |= WS_EX_TOPMOST;
    list.insert(list.begin(), w.self);
  } else if (insert_after == HWND_NOTOPMOST) {
    w.ex_style &= ~WS_EX_TOPMOST;
    list.insert(banded ? first_normal() : list.begin(), w.self);
  } else if (insert_after == HWND_TOP) {
    list.insert(banded && !(w.ex_style & WS_EX_TOPMOST) ? first_normal() : list.begin(), w.self);
  } else if (insert_after == HWND_BOTTOM) {
    if (banded) w.ex_style &= ~WS_EX_TOPMOST;
    list.push_back(w.self);
  } else {
    auto it = std::find(list.begin(), list.end(), insert_after);
    if (it == list.end()) {
      list.insert(banded && !(w.ex_style & WS_EX_TOPMOST) ? first_normal() : list.begin(), w.self);
    } else {
      // A window placed after another joins that window's band.
      if (banded) {
        if (topmost(insert_after))
          w.ex_style |= WS_EX_TOPMOST;
        else
          w.ex_style &= ~WS_EX_TOPMOST;
      }
      list.insert(it + 1, w.self);
    }
  }
}

void unlink_window(Window& w) {
  Window* parent = window_of(w.parent);
  if (!parent) return;
  auto& list = parent->children;
  list.erase(std::remove(list.begin(), list.end(), w.self), list.end());
}

void activate_window(HWND window, bool raise) {
  DesktopState& d = desktop();
  HWND old = d.foreground;
  Window* w = window_of(window);
  if (window && (!w || !is_top_level(*w))) return;
  if (old != window) {
    d.foreground = window;
    if (window_of(old)) send_message(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
    if (window_of(window)) send_message(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
    // The captions change colour with the foreground.
    redraw_frame(old);
    redraw_frame(window);
  }
  if (!(w = window_of(window))) return;
  if (raise) link_window(*w, HWND_TOP);
  // Flashing "until the window comes to the foreground" ends here.
  if (old != window && w->flash.flashing && (w->flash.flags & FLASHW_TIMERNOFG) == FLASHW_TIMERNOFG) {
    w->flash.flashing = false;
    w->flash.flags = 0;
  }
}

void activate_next_after(HWND leaving) {
  DesktopState& d = desktop();
  HWND next = nullptr;
  for (HWND h : window_of(d.desktop_window)->children) {
    Window* c = window_of(h);
    if (h == leaving || !c || c->destroying || !(c->style & WS_VISIBLE) || c->iconic) continue;
    next = h;
    break;
  }
  activate_window(next, false);
}

}  // namespace veneer::headless

using namespace veneer::headless;

extern "C" {

BOOL WINAPI ShowWindow(HWND window, int command) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return FALSE;
  const BOOL was_visible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
  switch (command) {
    case SW_HIDE:
      hide_window(window);
      break;
    case SW_SHOWMINIMIZED:
      minimize(window);
      show_window(window);
      activate_window(window, true);
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
      minimize(window);
      show_window(window);
      break;
    case SW_SHOWMAXIMIZED:
      maximize(window);
      show_window(window);
      activate_window(window, true);
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      restore(window);
      show_window(window);
      activate_window(window, true);
      break;
    case SW_SHOWNOACTIVATE:
      restore(window);
      show_window(window);
      break;
    case SW_SHOW:
      if (was_visible) break;  // an already visible window is left as it is
      show_window(window);
      activate_window(window, true);
      break;
    case SW_SHOWNA:
      show_window(window);
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  return was_visible;
}

BOOL WINAPI IsWindowVisible(HWND window) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  // Visible only if the window and every ancestor up to the desktop are.
  while (w) {
    if (!(w->style & WS_VISIBLE)) return FALSE;
    w = window_of(w->parent);
  }
  return window_of(window) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND window) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  return w && w->iconic ? TRUE : FALSE;
}

BOOL WINAPI IsZoomed(HWND window) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  return w && w->zoomed ? TRUE : FALSE;
}

HWND WINAPI GetForegroundWindow() {
  std::lock_guard lock(platform_lock());
  DesktopState& d = desktop();
  return window_of(d.foreground) ? d.foreground : nullptr;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  if (!call_allowed("SetForegroundWindow")) {
    return FALSE;
  }
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return FALSE;
  if (!is_top_level(*w)) return FALSE;  // only top-level windows can be in the foreground
  // No foreground lock: any process may bring any window forward, as under Wine.
  activate_window(window, true);
  return TRUE;
}

BOOL WINAPI AttachThreadInput(DWORD attaching_thread, DWORD attached_to_thread, BOOL attach) {
  std::lock_guard lock(platform_lock());
  if (attaching_thread == attached_to_thread) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!process_of_thread(attaching_thread) || !process_of_thread(attached_to_thread)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto& pairs = desktop().attached_inputs;
  auto pair = std::make_pair(attaching_thread, attached_to_thread);
  auto it = std::find(pairs.begin(), pairs.end(), pair);
  if (attach) {
    if (it == pairs.end()) pairs.push_back(pair);
    return TRUE;
  }
  if (it == pairs.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  pairs.erase(it);
  return TRUE;
}

}  // extern "C"
