// Where a drawing call may draw: the one place every drawing call asks.
#pragma once

#include <algorithm>

#include "gdi/objects.h"

namespace veneer::headless::gdi {

// Calls draw(RECT) for each rectangle, in surface coordinates, that drawing into the context
// may touch: its drawable rectangle met with the window's visible region (window contexts) and
// the program's clip region. The rectangles do not overlap, so an operation that reads the
// pixels it writes may run once per rectangle. With neither region there is exactly one call,
// with the drawable rectangle (possibly empty); with either, only non-empty rectangles are
// passed.
template <class Draw>
void for_each_clip_rect(const DeviceContext& dc, Draw&& draw) {
  const RECT drawable = drawable_rect(dc);
  // The program's clip region met with one rectangle of the surface.
  auto within = [&](const RECT& visible) {
    if (!dc.clip_region) {
      draw(visible);
      return;
    }
    int n = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&dc.clip_region->region, &n);
    const long long ox = dc.origin.x, oy = dc.origin.y;
    for (int i = 0; i < n; ++i) {
      // The region is kept before the origin, so its corners may lie anywhere in the int
      // range; a rectangle left non-empty lies within the visible one.
      const long long left = std::max<long long>(boxes[i].x1 + ox, visible.left);
      const long long top = std::max<long long>(boxes[i].y1 + oy, visible.top);
      const long long right = std::min<long long>(boxes[i].x2 + ox, visible.right);
      const long long bottom = std::min<long long>(boxes[i].y2 + oy, visible.bottom);
      if (left < right && top < bottom)
        draw(
            RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)});
    }
  };
  if (!dc.visible_region) {
    within(drawable);
    return;
  }
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&dc.visible_region->region, &n);
  for (int i = 0; i < n; ++i) {
    const RECT part{std::max<LONG>(boxes[i].x1, drawable.left), std::max<LONG>(boxes[i].y1, drawable.top),
                    std::min<LONG>(boxes[i].x2, drawable.right), std::min<LONG>(boxes[i].y2, drawable.bottom)};
    if (part.left < part.right && part.top < part.bottom) within(part);
  }
}

// Whether a point (surface coordinates) is one drawing into the context may touch.
inline bool may_draw_at(const DeviceContext& dc, long long x, long long y) {
  bool inside = false;
  for_each_clip_rect(
      dc, [&](const RECT& r) { inside = inside || (x >= r.left && x < r.right && y >= r.top && y < r.bottom); });
  return inside;
}

}  // namespace veneer::headless::gdi
