// GradientFill for the two rectangle modes, with Win32's 16-bit channel arithmetic.
#include <algorithm>
#include <vector>

#include "gdi/objects.h"
#include "gdi/raster.h"

using namespace veneer::headless;
using namespace veneer::headless::gdi;

namespace {

// The colour at distance `at` from the first vertex over `length` pixels: each 16-bit channel
// is blended in proportion and its high byte kept, so red 0xff00 to 0 over ten pixels gives
// ff e5 cc b2 99 7f 66 4c 33 19 (as Wine does on 24- and 32-bit targets).
std::uint32_t blend(const TRIVERTEX& a, const TRIVERTEX& b, long long at, long long length, int bpp) {
  auto channel = [&](COLOR16 ca, COLOR16 cb) {
    long long v = (static_cast<long long>(ca) * (length - at) + static_cast<long long>(cb) * at) / length;
    return static_cast<std::uint32_t>(v >> 8) & 0xff;
  };
  std::uint32_t r = channel(a.Red, b.Red), g = channel(a.Green, b.Green), bl = channel(a.Blue, b.Blue);
  if (bpp == 1) return pixel_of(RGB(r, g, bl), 1);
  std::uint32_t pixel = (r << 16) | (g << 8) | bl;
  if (bpp == 32) pixel |= channel(a.Alpha, b.Alpha) << 24;  // 32-bit targets take the alpha channel too
  return pixel;
}

// The same blend stepped one pixel at a time: each channel's quotient and remainder are
// carried from pixel to pixel, so a row costs no division per pixel and gives exactly the
// colours blend() gives.
class BlendSteps {
 public:
  BlendSteps(const TRIVERTEX& a, const TRIVERTEX& b, long long at, long long length, int bpp)
      : red_(a.Red, b.Red, at, length),
        green_(a.Green, b.Green, at, length),
        blue_(a.Blue, b.Blue, at, length),
        alpha_(a.Alpha, b.Alpha, at, length),
        with_alpha_(bpp == 32) {}

  // The colour at the current distance; moves on by one pixel.
  std::uint32_t next() {
    std::uint32_t pixel = (red_.value() << 16) | (green_.value() << 8) | blue_.value();
    if (with_alpha_) pixel |= alpha_.value() << 24;
    red_.step();
    green_.step();
    blue_.step();
    alpha_.step();
    return pixel;
  }

 private:
  // (ca * (length - at) + cb * at) / length as quotient and remainder; for 0 <= at <= length
  // the numerator is never negative.
  class Channel {
   public:
    Channel(COLOR16 ca, COLOR16 cb, long long at, long long length) : length_(length) {
      long long numerator = static_cast<long long>(ca) * (length - at) + static_cast<long long>(cb) * at;
      quotient_ = numerator / length;
      remainder_ = numerator % length;
      long long delta = static_cast<long long>(cb) - static_cast<long long>(ca);
      step_quotient_ = delta / length;
      step_remainder_ = delta % length;
      if (step_remainder_ < 0) {
        step_remainder_ += length;
        --step_quotient_;
      }
    }
    std::uint32_t value() const { return static_cast<std::uint32_t>(quotient_ >> 8) & 0xff; }
    // Without a branch: whether the remainder wraps follows no pattern the processor could
    // predict.
    void step() {
      remainder_ += step_remainder_;
      const long long wrap = -static_cast<long long>(remainder_ >= length_);  // 0 or -1
      remainder_ -= length_ & wrap;
      quotient_ += step_quotient_ - wrap;
    }

   private:
    long long length_, quotient_, remainder_, step_quotient_, step_remainder_;
  };

  Channel red_, green_, blue_, alpha_;
  bool with_alpha_;
};

void fill_rect(DeviceContext& dc, const TRIVERTEX& v1, const TRIVERTEX& v2, bool vertical) {
  Surface& s = *dc.surface;
  const int bpp = s.bits_per_pixel;
  // The vertex nearer the start of the blend gives the first colour, whichever order they come in.
  const TRIVERTEX& first = (vertical ? v1.y <= v2.y : v1.x <= v2.x) ? v1 : v2;
  const TRIVERTEX& second = &first == &v1 ? v2 : v1;
  long long left = std::min(v1.x, v2.x), right = std::max(v1.x, v2.x);
  long long top = std::min(v1.y, v2.y), bottom = std::max(v1.y, v2.y);
  if (left == right || top == bottom) return;
  RECT clip = drawable_rect(dc);
  long long ox = dc.origin.x, oy = dc.origin.y;
  long long x0 = std::max<long long>(left + ox, clip.left), x1 = std::min<long long>(right + ox, clip.right);
  long long y0 = std::max<long long>(top + oy, clip.top), y1 = std::min<long long>(bottom + oy, clip.bottom);
  if (x0 >= x1 || y0 >= y1) return;
  const int count = static_cast<int>(x1 - x0);
  const std::size_t pixel_bytes = static_cast<std::size_t>(bpp / 8);
  if (!vertical) {
    // One row holds every colour; each row of the rectangle is a copy of it.
    std::vector<std::uint8_t> row(raster::span_bytes(bpp, static_cast<int>(x0 & 7), count) + 1);
    int bit = bpp == 1 ? static_cast<int>(x0 & 7) : 0;
    if (bpp == 1) {
      for (int i = 0; i < count; ++i)
        raster::write_pixel(row.data(), bpp, bit + i, blend(first, second, x0 + i - ox - left, right - left, bpp));
    } else {
      BlendSteps steps(first, second, x0 - ox - left, right - left, bpp);
      for (int i = 0; i < count; ++i) raster::write_pixel(row.data(), bpp, i, steps.next());
    }
    for (long long y = y0; y < y1; ++y) {
      std::uint8_t* d = s.row(static_cast<int>(y));
      if (bpp == 1)
        raster::copy_bits(d, static_cast<int>(x0), row.data(), bit, count);
      else
        raster::copy_span(d + x0 * pixel_bytes, row.data(), static_cast<std::size_t>(count) * pixel_bytes);
    }
  } else if (bpp != 1) {
    // Each row is one colour, filled straight into the surface.
    BlendSteps steps(first, second, y0 - oy - top, bottom - top, bpp);
    for (long long y = y0; y < y1; ++y)
      raster::fill_pixels(s.row(static_cast<int>(y)) + x0 * pixel_bytes, static_cast<std::size_t>(count), bpp,
                          steps.next());
  } else {
    std::vector<std::uint8_t> row(raster::span_bytes(bpp, 0, count) + 1);
    for (long long y = y0; y < y1; ++y) {
      std::uint32_t pixel = blend(first, second, y - oy - top, bottom - top, bpp);
      raster::fill_pattern(row.data(), row.size(), bpp, pixel);
      raster::copy_bits(s.row(static_cast<int>(y)), static_cast<int>(x0), row.data(), static_cast<int>(x0 & 7), count);
    }
  }
}

}  // namespace

extern "C" {

BOOL WINAPI GradientFill(HDC dc, PTRIVERTEX vertices, ULONG vertex_count, PVOID mesh, ULONG mesh_count, ULONG mode) {
  if (!call_allowed("GradientFill")) return FALSE;
  std::lock_guard lock(platform_lock());
  DeviceContext* d = find_context(dc);
  // Triangles are not offered by this GDI; the rectangle modes are.
  if (!d || !vertices || !mesh || vertex_count == 0 || mesh_count == 0 ||
      (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V))
    return FALSE;
  const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
  for (ULONG i = 0; i < mesh_count; ++i)
    if (rects[i].UpperLeft >= vertex_count || rects[i].LowerRight >= vertex_count) return FALSE;
  if (!d->surface) return TRUE;
  for (ULONG i = 0; i < mesh_count; ++i)
    fill_rect(*d, vertices[rects[i].UpperLeft], vertices[rects[i].LowerRight], mode == GRADIENT_FILL_RECT_V);
  return TRUE;
}

}  // extern "C"
