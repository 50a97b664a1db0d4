// Single pixels and one-pixel lines.
#include "gdi/lines.h"

#include <algorithm>
#include <cstdlib>

#include "gdi/clip.h"
#include "gdi/objects.h"
#include "gdi/raster.h"

using namespace veneer::headless;
using namespace veneer::headless::gdi;

namespace {

bool inside(const RECT& r, long long x, long long y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The nearest whole numbers to num * i / den (den > 0, |num| <= den) for i = first, first + 1,
// ..., halves going to the smaller one: Win32's lines put a pixel exactly between two rows (or
// columns) on the upper (or left) one, in whichever direction they are drawn, so that a line
// and its reverse cover the same pixels. Lines may run between any two 32-bit points, so
// num * i reaches 2^64: the first value takes one 128-bit division; after it a remainder is
// carried, which moves by at most one divisor a step.
class HalfDownSteps {
 public:
  HalfDownSteps(long long num, long long den, long long first) : divisor_(2 * den), step_(2 * num) {
    // The value is ceil((2 num i - den) / (2 den)) = -floor(c / (2 den)), c = den - 2 num i.
    const __int128 c = static_cast<__int128>(den) - 2 * static_cast<__int128>(num) * first;
    __int128 q = c / divisor_, r = c % divisor_;
    if (r < 0) {
      r += divisor_;
      --q;
    }
    quotient_ = static_cast<long long>(q);
    remainder_ = static_cast<long long>(r);
  }
  long long value() const { return -quotient_; }
  void next() {
    remainder_ -= step_;
    if (remainder_ < 0) {
      remainder_ += divisor_;
      --quotient_;
    } else if (remainder_ >= divisor_) {
      remainder_ -= divisor_;
      ++quotient_;
    }
  }

 private:
  long long divisor_, step_, quotient_ = 0, remainder_ = 0;  // c = quotient * divisor + remainder
};

// The steps i in [0, count) of a line along one axis, from `start` by `step` (+1 or -1), that
// land in [lo, hi): a line far longer than the surface only walks the part that can show.
void visible_steps(long long start, long long step, long long count, long long lo, long long hi, long long& first,
                   long long& last) {
  if (step > 0) {
    first = lo - start;
    last = hi - start;
  } else {
    first = start - hi + 1;
    last = start - lo + 1;
  }
  first = std::max<long long>(first, 0);
  last = std::min<long long>(last, count);
}

// A line of `pixel` from surface point (x0, y0) by (dx, dy), the last point left out,
// inside `clip`.
template <PixelFormat F>
void draw_line(Surface& s, const RECT& clip, long long x0, long long y0, long long dx, long long dy,
               std::uint32_t pixel) {
  long long adx = std::llabs(dx), ady = std::llabs(dy);
  // A line of n steps along its major axis has n pixels.
  if (adx >= ady) {
    long long step = dx > 0 ? 1 : -1, first, last;
    visible_steps(x0, step, adx, clip.left, clip.right, first, last);
    if (first >= last) return;
    HalfDownSteps minor(dy, adx, first);
    for (long long i = first; i < last; ++i, minor.next()) {
      long long px = x0 + i * step, py = y0 + minor.value();
      if (inside(clip, px, py)) raster::write_pixel<F>(s.row(static_cast<int>(py)), static_cast<int>(px), pixel);
    }
  } else {
    long long step = dy > 0 ? 1 : -1, first, last;
    visible_steps(y0, step, ady, clip.top, clip.bottom, first, last);
    if (first >= last) return;
    HalfDownSteps minor(dx, ady, first);
    for (long long i = first; i < last; ++i, minor.next()) {
      long long py = y0 + i * step, px = x0 + minor.value();
      if (inside(clip, px, py)) raster::write_pixel<F>(s.row(static_cast<int>(py)), static_cast<int>(px), pixel);
    }
  }
}

}  // namespace

namespace veneer::headless::gdi {

void draw_segment(DeviceContext& dc, POINT from, POINT to, std::uint32_t pixel) {
  // Every pen is drawn one pixel wide and solid (the styles and widths this GDI offers).
  Surface& s = *dc.surface;
  const long long x0 = static_cast<long long>(from.x) + dc.origin.x, y0 = static_cast<long long>(from.y) + dc.origin.y;
  const long long dx = static_cast<long long>(to.x) - from.x, dy = static_cast<long long>(to.y) - from.y;
  for_each_clip_rect(dc, [&](const RECT& clip) {
    with_format(s.format, [&](auto f) { draw_line<decltype(f)::value>(s, clip, x0, y0, dx, dy, pixel); });
  });
}

}  // namespace veneer::headless::gdi

extern "C" {

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  std::lock_guard lock(platform_lock());
  DeviceContext* d = find_context(dc);
  if (!d || !d->surface) return CLR_INVALID;
  refresh_if_screen(*d);
  long long px = static_cast<long long>(x) + d->origin.x, py = static_cast<long long>(y) + d->origin.y;
  if (!inside(drawable_rect(*d), px, py)) return CLR_INVALID;
  const Surface& s = *d->surface;
  const std::uint8_t* row = s.row(static_cast<int>(py));
  std::uint32_t pixel =
      with_format(s.format, [&](auto f) { return raster::read_pixel<decltype(f)::value>(row, static_cast<int>(px)); });
  return color_of_pixel(pixel, s.format);
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color) {
  std::lock_guard lock(platform_lock());
  DeviceContext* d = find_context(dc);
  if (!d || !d->surface) return CLR_INVALID;
  Surface& s = *d->surface;
  std::uint32_t pixel = pixel_of(color, s.format);
  long long px = static_cast<long long>(x) + d->origin.x, py = static_cast<long long>(y) + d->origin.y;
  if (may_draw_at(*d, px, py)) {
    std::uint8_t* row = s.row(static_cast<int>(py));
    with_format(s.format, [&](auto f) { raster::write_pixel<decltype(f)::value>(row, static_cast<int>(px), pixel); });
  }
  return color_of_pixel(pixel, s.format);  // the colour the pixel takes
}

BOOL WINAPI SetPixelV(HDC dc, int x, int y, COLORREF color) { return SetPixel(dc, x, y, color) != CLR_INVALID; }

BOOL WINAPI LineTo(HDC dc, int x, int y) {
  std::lock_guard lock(platform_lock());
  DeviceContext* d = find_context(dc);
  if (!d) return FALSE;
  POINT from = d->position;
  d->position = {x, y};
  const PenObject* pen = selected_pen(*d);
  if (pen && d->surface) draw_segment(*d, from, POINT{x, y}, pen_pixel_of(*d, pen->logpen.lopnColor));
  return TRUE;
}

}  // extern "C"
