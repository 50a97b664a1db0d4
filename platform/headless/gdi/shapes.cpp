// Rectangles drawn with the pen and filled with the brush.
#include <algorithm>
#include <cstdint>

#include "gdi/blit.h"
#include "gdi/lines.h"
#include "gdi/objects.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;
using namespace veneer::headless::gdi;

extern "C" {

BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom) {
  std::lock_guard lock(platform_lock());
  DeviceContext* d = find_context(dc);
  if (!d) return FALSE;
  if (!d->surface) return TRUE;
  // The shape leaves out the right column and the bottom row, whichever way the corners came.
  const long long l = std::min(left, right), r = std::max(left, right);
  const long long t = std::min(top, bottom), b = std::max(top, bottom);
  const PenObject* pen = selected_pen(*d);
  if (!pen) {
    // Without a pen the brush fills the whole shape.
    if (r - l > 1 && b - t > 1) fill_with_brush(*d, l, t, r - 1 - l, b - 1 - t);
    return TRUE;
  }
  if (r - l > 2 && b - t > 2) fill_with_brush(*d, l + 1, t + 1, r - 2 - l, b - 2 - t);
  // The outline is a closed path of four one-pixel lines, each without its last point, through
  // the corners of the shape: a shape one pixel wide is a line, a single pixel is nothing.
  if (r - l < 1 || b - t < 1) return TRUE;
  const POINT corners[4] = {{static_cast<LONG>(l), static_cast<LONG>(t)},
                            {static_cast<LONG>(r - 1), static_cast<LONG>(t)},
                            {static_cast<LONG>(r - 1), static_cast<LONG>(b - 1)},
                            {static_cast<LONG>(l), static_cast<LONG>(b - 1)}};
  const std::uint32_t pixel = pen_pixel_of(*d, pen->logpen.lopnColor);
  for (int i = 0; i < 4; ++i) draw_segment(*d, corners[i], corners[(i + 1) % 4], pixel);
  return TRUE;
}

}  // extern "C"
