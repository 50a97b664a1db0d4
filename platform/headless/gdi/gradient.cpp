// GradientFill for the two rectangle modes, with Win32's 16-bit channel arithmetic.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gdi/clip.h"
#include "gdi/objects.h"
#include "gdi/raster.h"

using namespace veneer::headless;
using namespace veneer::headless::gdi;

namespace {

// The colour at distance `at` from the first vertex over `length` pixels: each 16-bit channel
// is blended in proportion and its high byte kept, so red 0xff00 to 0 over ten pixels gives
// ff e5 cc b2 99 7f 66 4c 33 19 (as Wine does on 24- and 32-bit targets). A monochrome target
// takes the nearer of black and white; colour targets step through BlendSteps instead.
std::uint32_t blend_mono(const TRIVERTEX& a, const TRIVERTEX& b, long long at, long long length) {
  auto channel = [&](COLOR16 ca, COLOR16 cb) {
    long long v = (static_cast<long long>(ca) * (length - at) + static_cast<long long>(cb) * at) / length;
    return static_cast<std::uint32_t>(v >> 8) & 0xff;
  };
  return nearest_mono((channel(a.Red, b.Red) << 16) | (channel(a.Green, b.Green) << 8) | channel(a.Blue, b.Blue));
}

// The same blend for a colour format, stepped one pixel at a time: each channel's quotient
// and remainder are carried from pixel to pixel, so a row costs no division per pixel and
// gives exactly the colours the blend gives. 32-bit targets take the alpha channel too.
template <PixelFormat F>
class BlendSteps {
 public:
  BlendSteps(const TRIVERTEX& a, const TRIVERTEX& b, long long at, long long length)
      : red_(a.Red, b.Red, at, length),
        green_(a.Green, b.Green, at, length),
        blue_(a.Blue, b.Blue, at, length),
        alpha_(a.Alpha, b.Alpha, at, length) {}

  // The colour at the current distance; moves on by one pixel.
  std::uint32_t next() {
    std::uint32_t pixel = (red_.value() << 16) | (green_.value() << 8) | blue_.value();
    if constexpr (F == PixelFormat::Bgrx32) pixel |= alpha_.value() << 24;
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
};

// A gradient rectangle after clipping: the visible pixels x0..x1, y0..y1 (surface coordinates)
// and where the blend starts and how long it runs along its axis.
struct Gradient {
  const TRIVERTEX* first;  // the vertex nearer the start of the blend gives the first colour
  const TRIVERTEX* second;
  long long x0, x1, y0, y1;
  long long start, length;  // blend distance of the first visible pixel, and the blend's length
  int count() const { return static_cast<int>(x1 - x0); }
};

// One row holds every colour; each row of the rectangle is a copy of it.
template <PixelFormat F>
void fill_horizontal(Surface& s, const Gradient& g) {
  const int count = g.count();
  const int bit = F == PixelFormat::Mono ? static_cast<int>(g.x0 & 7) : 0;
  if constexpr (F == PixelFormat::Mono) {
    std::vector<std::uint8_t> row(raster::span_bytes(F, bit, count) + 1);
    for (int i = 0; i < count; ++i)
      raster::write_pixel<F>(row.data(), bit + i, blend_mono(*g.first, *g.second, g.start + i, g.length));
    for (long long y = g.y0; y < g.y1; ++y)
      raster::copy_bits(s.row(static_cast<int>(y)), static_cast<int>(g.x0), row.data(), bit, count);
  } else {
    const std::size_t offset = static_cast<std::size_t>(g.x0) * pixel_bytes(F);
    const std::size_t bytes = raster::span_bytes(F, 0, count);
    // The rows are all alike, so they are written in the order they lie in memory (bottom-up
    // surfaces from the bottom row), each by one call of the C library's memcpy. The copy of
    // the colours sits at the same place within a 64-byte cache line as the first row written:
    // copies between addresses placed alike in their lines run measurably faster.
    const bool ascending = s.stride > 0;
    std::uint8_t* first = s.row(static_cast<int>(ascending ? g.y0 : g.y1 - 1)) + offset;
    std::vector<std::uint8_t> buffer(bytes + 64);
    const auto misplaced =
        (reinterpret_cast<std::uintptr_t>(first) - reinterpret_cast<std::uintptr_t>(buffer.data())) % 64;
    std::uint8_t* row = buffer.data() + misplaced;
    BlendSteps<F> steps(*g.first, *g.second, g.start, g.length);
    for (int i = 0; i < count; ++i) raster::write_pixel<F>(row, i, steps.next());
    for (long long i = 0; i < g.y1 - g.y0; ++i) {
      const long long y = ascending ? g.y0 + i : g.y1 - 1 - i;
      std::memcpy(s.row(static_cast<int>(y)) + offset, row, bytes);
    }
  }
}

// Each row is one colour.
template <PixelFormat F>
void fill_vertical(Surface& s, const Gradient& g) {
  const int count = g.count();
  if constexpr (F == PixelFormat::Mono) {
    std::vector<std::uint8_t> row(raster::span_bytes(F, 0, count) + 1);
    for (long long y = g.y0; y < g.y1; ++y) {
      raster::fill_pattern(row.data(), row.size(), F, blend_mono(*g.first, *g.second, g.start + (y - g.y0), g.length));
      raster::copy_bits(s.row(static_cast<int>(y)), static_cast<int>(g.x0), row.data(), static_cast<int>(g.x0 & 7),
                        count);
    }
  } else {
    // Filled straight into the surface.
    BlendSteps<F> steps(*g.first, *g.second, g.start, g.length);
    const std::size_t offset = static_cast<std::size_t>(g.x0) * pixel_bytes(F);
    for (long long y = g.y0; y < g.y1; ++y)
      raster::fill_pixels<F>(s.row(static_cast<int>(y)) + offset, static_cast<std::size_t>(count), steps.next());
  }
}

void fill_rect(DeviceContext& dc, const TRIVERTEX& v1, const TRIVERTEX& v2, bool vertical) {
  Gradient g;
  g.first = (vertical ? v1.y <= v2.y : v1.x <= v2.x) ? &v1 : &v2;
  g.second = g.first == &v1 ? &v2 : &v1;
  long long left = std::min(v1.x, v2.x), right = std::max(v1.x, v2.x);
  long long top = std::min(v1.y, v2.y), bottom = std::max(v1.y, v2.y);
  if (left == right || top == bottom) return;
  const long long ox = dc.origin.x, oy = dc.origin.y;
  for_each_clip_rect(dc, [&](const RECT& clip) {
    g.x0 = std::max<long long>(left + ox, clip.left), g.x1 = std::min<long long>(right + ox, clip.right);
    g.y0 = std::max<long long>(top + oy, clip.top), g.y1 = std::min<long long>(bottom + oy, clip.bottom);
    if (g.x0 >= g.x1 || g.y0 >= g.y1) return;
    g.start = vertical ? g.y0 - oy - top : g.x0 - ox - left;
    g.length = vertical ? bottom - top : right - left;
    Surface& s = *dc.surface;
    with_format(s.format, [&](auto f) {
      if (vertical)
        fill_vertical<decltype(f)::value>(s, g);
      else
        fill_horizontal<decltype(f)::value>(s, g);
    });
  });
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
