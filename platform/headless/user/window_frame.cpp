// What DefWindowProc draws: the background in the class brush, and the frame of framed
// windows in a plain style of the platform's own (no caption text, buttons or 3-D edges):
//   - the whole non-client area in COLOR_BTNFACE, outlined one pixel wide in COLOR_WINDOWFRAME;
//   - the caption band, where the style has one, in COLOR_ACTIVECAPTION for the foreground
//     window and COLOR_INACTIVECAPTION for the others.
// Popup and child windows without a border have no frame and draw nothing here.
#include "user/window_paint.h"
#include <veneer/headless/kernel_base.h>

namespace veneer::headless {

bool erase_with_class_brush(HWND window, HDC dc) {
  const Window* w = window_of(window);
  if (!w || !w->window_class || !dc) return false;
  HBRUSH brush = w->window_class->info.hbrBackground;
  if (!brush) return false;
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc, &client, brush);  // takes a system colour index plus one too
  return true;
}

void draw_plain_frame(HWND window, HDC dc) {
  const Window* w = window_of(window);
  if (!w || !dc) return;
  const RECT insets = frame_insets(*w);
  if (insets.left == 0 && insets.top == 0 && insets.right == 0 && insets.bottom == 0) return;
  const long long width = static_cast<long long>(w->rect.right) - w->rect.left;
  const long long height = static_cast<long long>(w->rect.bottom) - w->rect.top;
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return;
  const RECT whole{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  const RECT client = client_rect_in_parent(*w);
  auto from_corner = [](LONG a, LONG corner) { return wrapped_sum(a, -static_cast<long long>(corner)); };
  const RECT inner{from_corner(client.left, w->rect.left), from_corner(client.top, w->rect.top),
                   from_corner(client.right, w->rect.left), from_corner(client.bottom, w->rect.top)};
  // The frame only: the client area is the program's.
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  const bool had_clip = saved && GetClipRgn(dc, saved) == 1;
  ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
  FillRect(dc, &whole, GetSysColorBrush(COLOR_BTNFACE));
  FrameRect(dc, &whole, GetSysColorBrush(COLOR_WINDOWFRAME));
  if ((w->style & WS_CAPTION) == WS_CAPTION) {
    const int edge = outer_frame_width(*w);
    const RECT caption{edge, edge, static_cast<LONG>(width) - edge, inner.top};
    const bool active = desktop().foreground == window;
    FillRect(dc, &caption, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
  }
  SelectClipRgn(dc, had_clip ? saved : nullptr);
  if (saved) DeleteObject(saved);
}

void redraw_frame(HWND window) {
  const Window* w = window_of(window);
  if (!w || !shown_on_desktop(*w)) return;
  HDC dc = window_context(window, true, nullptr);
  draw_plain_frame(window, dc);
  if (dc) gdi::destroy_context(dc);
}

}  // namespace veneer::headless
