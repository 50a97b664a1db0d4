// BitBlt and StretchBlt of the headless GDI on random surfaces (1, 24 and 32 bits; DIB
// sections top-down and bottom-up, device bitmaps, a context's own 1x1 bitmap), random
// rectangles (negative, huge, off either surface), all 256 raster operations and every
// stretch mode. Every call must stay inside both surfaces (AddressSanitizer sees the rest),
// leave no object behind and never touch a pixel outside its destination rectangle. Where
// the answer is simple, one pixel at a time, it is checked against a slow reference: every
// unstretched blit (BitBlt, or StretchBlt with equal extents), with any operation, between
// any two of the depths, clipped against both surfaces; and for stretched copies, that each
// pixel written is one of the source block's pixels.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/dib_section.h"
#include <veneer/framework/win32_api.h>
#include <veneer/headless/testing.h>

namespace {

// A bitmap in a memory context, with its pixels read back through GetBitmapBits.
struct Surface {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;  // ours to delete; null when the context keeps its own 1x1 bitmap
  HGDIOBJ previous = nullptr;
  int width = 1, height = 1, bpp = 1;
  std::size_t row_bytes = 2;

  Surface(veneer::fuzz::Input& in) {
    static const int depths[] = {1, 24, 32};
    const std::uint8_t kind = in.byte();
    bpp = depths[in.byte() % 3];
    const int w = in.byte() % 41;  // 0 fails to make a bitmap: the context keeps its own
    const int h = in.byte() % 25;
    dc = CreateCompatibleDC(nullptr);
    require(dc != nullptr);
    switch (kind % 4) {
      case 0:
      case 1: {
        void* bits = nullptr;
        bitmap = veneer::test::make_dib_section(
            w, h, bpp, &bits, kind % 4 == 1 ? veneer::test::RowOrder::BottomUp : veneer::test::RowOrder::TopDown);
        break;
      }
      case 2:
        bitmap = CreateBitmap(w, h, 1, static_cast<UINT>(bpp), nullptr);
        break;
      default:
        break;
    }
    if (bitmap) previous = SelectObject(dc, bitmap);
    BITMAP b{};
    require(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof b, &b) == sizeof b);
    width = b.bmWidth;
    height = b.bmHeight;
    bpp = b.bmBitsPixel;
    // GetBitmapBits and SetBitmapBits lay rows out as a device bitmap does, padded to 2 bytes,
    // whatever the bitmap is.
    row_bytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bpp) + 15) / 16 * 2;
  }
  ~Surface() {
    if (bitmap) {
      SelectObject(dc, previous);
      DeleteObject(bitmap);
    }
    DeleteDC(dc);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  HBITMAP current() const { return static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP)); }

  std::vector<std::uint32_t> pixels() const {
    std::vector<std::uint8_t> bytes(row_bytes * static_cast<std::size_t>(height));
    GdiFlush();
    require(GetBitmapBits(current(), static_cast<LONG>(bytes.size()), bytes.data()) == static_cast<LONG>(bytes.size()));
    std::vector<std::uint32_t> out;
    out.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* r = bytes.data() + row_bytes * static_cast<std::size_t>(y);
      for (int x = 0; x < width; ++x) {
        if (bpp == 1) {
          out.push_back((r[x / 8] >> (7 - x % 8)) & 1u);
        } else if (bpp == 24) {
          const std::uint8_t* p = r + 3 * static_cast<std::size_t>(x);
          out.push_back(p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16));
        } else {
          std::uint32_t v;
          std::memcpy(&v, r + 4 * static_cast<std::size_t>(x), 4);
          out.push_back(v);
        }
      }
    }
    return out;
  }

  // Random pixels; `common` turns up often, so that colour-to-monochrome conversions meet
  // the source's background colour.
  void fill(veneer::fuzz::Input& in, std::uint32_t common) {
    if (!bitmap) return;  // the context's own bitmap is a stock object: left alone
    std::vector<std::uint8_t> bytes(row_bytes * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
      std::uint8_t* r = bytes.data() + row_bytes * static_cast<std::size_t>(y);
      for (int x = 0; x < width; ++x) {
        const std::uint8_t pick = in.byte();
        std::uint32_t v = pick % 4 == 0 ? common : pick % 4 == 1 ? (common | 0xff000000u) : pick * 0x9e3779b1u;
        if (pick % 4 == 3) v = in.u32();
        if (bpp == 1) {
          if (v & 1) r[x / 8] = static_cast<std::uint8_t>(r[x / 8] | (0x80 >> (x % 8)));
        } else {
          std::memcpy(r + static_cast<std::size_t>(x) * static_cast<std::size_t>(bpp / 8), &v,
                      static_cast<std::size_t>(bpp / 8));
        }
      }
    }
    require(SetBitmapBits(bitmap, static_cast<DWORD>(bytes.size()), bytes.data()) == static_cast<LONG>(bytes.size()));
  }
};

COLORREF colour(veneer::fuzz::Input& in) {
  switch (in.byte() % 4) {
    case 0:
      return RGB(0, 0, 0);
    case 1:
      return RGB(255, 255, 255);
    default:
      return in.u32() & 0x00ffffffu;
  }
}

// The pixel of a colour on a surface of the depth. On a monochrome surface Win32 makes a
// colour white exactly when its channels add up to 383 or more: measured under Wine with
// SetPixelV and GetPixel on a 1-bit bitmap over every fifth value of each channel (140,608
// colours) and at the boundary (128,127,127 is black, 127,128,128 white). Wine dithers
// solid brushes of other colours on monochrome bitmaps, where the headless platform, which
// does not dither, uses this rule for them too.
std::uint32_t pixel_of(COLORREF c, int bpp) {
  const std::uint32_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  if (bpp != 1) return (r << 16) | (g << 8) | b;
  return r + g + b >= 383 ? 1 : 0;
}

std::uint32_t rop3(unsigned index, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t r = 0;
  for (int bit = 0; bit < 32; ++bit) {
    const unsigned k = ((p >> bit & 1) << 2) | ((s >> bit & 1) << 1) | (d >> bit & 1);
    r |= ((index >> k) & 1u) << bit;
  }
  return r;
}

std::uint32_t depth_mask(int bpp) { return bpp == 1 ? 1u : bpp == 24 ? 0xffffffu : 0xffffffffu; }

bool uses_source(unsigned index) { return (((index >> 2) ^ index) & 0x33) != 0; }
bool uses_pattern(unsigned index) { return (((index >> 4) ^ index) & 0x0f) != 0; }

// The pixels one axis of a blit covers: [first, last) in the surface's coordinates, for an
// origin and a signed extent (a negative extent covers origin + extent + 1 .. origin).
void span(long long origin, long long extent, long long& first, long long& last) {
  if (extent >= 0) {
    first = origin;
    last = origin + extent;
  } else {
    first = origin + extent + 1;
    last = origin + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 14) return 0;
  veneer::fuzz::Input in(data, size);
  const std::size_t objects_before = veneer::headless::testing::live_gdi_objects();
  {
    Surface dst(in);
    const std::uint8_t source_kind = in.byte() % 8;
    Surface* other = nullptr;
    std::vector<Surface*> owned;
    if (source_kind < 6) owned.push_back(other = new Surface(in));
    // Which context the blit reads: another surface, the destination itself, or none.
    Surface* src = source_kind < 6 ? other : source_kind == 6 ? &dst : nullptr;

    const COLORREF source_background = colour(in);
    dst.fill(in, pixel_of(source_background, 24));
    if (other) other->fill(in, pixel_of(source_background, 24));
    if (src) SetBkColor(src->dc, source_background);
    const COLORREF dst_background = colour(in), dst_text = colour(in);
    SetBkColor(dst.dc, dst_background);
    SetTextColor(dst.dc, dst_text);
    if (src) {
      // The source's own text colour plays no part; changing it catches a mix-up.
      if (src != &dst) SetTextColor(src->dc, colour(in));
    }

    // The brush: the context's own (white), none, or a solid colour.
    HBRUSH brush = nullptr;
    HGDIOBJ old_brush = nullptr;
    COLORREF brush_colour = RGB(255, 255, 255);
    bool has_brush = true;
    switch (in.byte() % 3) {
      case 1:
        old_brush = SelectObject(dst.dc, GetStockObject(NULL_BRUSH));
        has_brush = false;
        break;
      case 2:
        brush_colour = colour(in);
        brush = CreateSolidBrush(brush_colour);
        require(brush != nullptr);
        old_brush = SelectObject(dst.dc, brush);
        break;
      default:
        break;
    }
    static const int modes[] = {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR, HALFTONE};
    const int mode = modes[in.byte() % 4];
    SetStretchBltMode(dst.dc, mode);

    const unsigned index = in.byte();
    const DWORD rop = static_cast<DWORD>(index) << 16;
    const std::uint8_t shape = in.byte();
    const bool stretch = shape & 1;
    const int x = in.coordinate(), y = in.coordinate(), w = in.coordinate(), h = in.coordinate();
    const int sx = in.coordinate(), sy = in.coordinate();
    int sw = w, sh = h;
    if (stretch && (shape & 2)) sw = in.coordinate();
    if (stretch && (shape & 4)) sh = in.coordinate();

    const std::vector<std::uint32_t> before = dst.pixels();
    const std::vector<std::uint32_t> source_before = src ? src->pixels() : std::vector<std::uint32_t>{};
    HDC source_dc = src ? src->dc : nullptr;
    const BOOL done = stretch ? StretchBlt(dst.dc, x, y, w, h, source_dc, sx, sy, sw, sh, rop)
                              : BitBlt(dst.dc, x, y, w, h, source_dc, sx, sy, rop);
    const std::vector<std::uint32_t> after = dst.pixels();
    const bool needs_source = uses_source(index);

    // Only a missing source makes the call fail, and then nothing is drawn.
    require((done != FALSE) == (!needs_source || src != nullptr));
    if (!done) require(after == before);
    // The source is only read (unless it is the destination's bitmap too: two contexts that
    // both kept their own 1x1 bitmap share that one stock bitmap).
    const bool shared = src && src->current() == dst.current();
    if (src && !shared) require(src->pixels() == source_before);

    // Nothing outside the destination rectangle changes.
    long long x0, x1, y0, y1;
    span(x, w, x0, x1);
    span(y, h, y0, y1);
    for (int py = 0; py < dst.height; ++py)
      for (int px = 0; px < dst.width; ++px) {
        const std::size_t i =
            static_cast<std::size_t>(py) * static_cast<std::size_t>(dst.width) + static_cast<std::size_t>(px);
        if (px < x0 || px >= x1 || py < y0 || py >= y1) require(after[i] == before[i]);
      }

    const bool unstretched = sw == w && sh == h;
    if (done && unstretched) {
      // Each destination pixel (px, py) of the rectangle takes source pixel (px - x + sx,
      // py - y + sy): the same offset holds for negative extents, which mirror both sides.
      const std::uint32_t mask = depth_mask(dst.bpp);
      const std::uint32_t pattern = pixel_of(brush_colour, dst.bpp);
      const bool draws = !uses_pattern(index) || has_brush;
      for (int py = 0; py < dst.height; ++py)
        for (int px = 0; px < dst.width; ++px) {
          const std::size_t i =
              static_cast<std::size_t>(py) * static_cast<std::size_t>(dst.width) + static_cast<std::size_t>(px);
          if (px < x0 || px >= x1 || py < y0 || py >= y1) continue;
          std::uint32_t expected = before[i];
          std::uint32_t s = 0;
          bool reachable = draws;
          if (needs_source && reachable) {
            const long long qx = px - static_cast<long long>(x) + sx, qy = py - static_cast<long long>(y) + sy;
            reachable = qx >= 0 && qy >= 0 && qx < src->width && qy < src->height;
            if (reachable) {
              s = source_before[static_cast<std::size_t>(qy) * static_cast<std::size_t>(src->width) +
                                static_cast<std::size_t>(qx)];
              if (src->bpp == 1 && dst.bpp != 1)
                s = s ? pixel_of(dst_background, dst.bpp) : pixel_of(dst_text, dst.bpp);
              else if (src->bpp != 1 && dst.bpp == 1)
                s = s == pixel_of(source_background, 24) ? 1 : 0;
              else if (src->bpp != dst.bpp)
                s &= 0xffffffu;
            }
          }
          if (reachable) expected = rop3(index, pattern, s, before[i]) & mask;
          require(after[i] == expected);
        }
    }

    // A stretched copy between surfaces of one depth, taking single pixels: every pixel it
    // writes is one of the source block's.
    if (done && !unstretched && index == 0xcc && src && !shared && src->bpp == dst.bpp &&
        (mode == COLORONCOLOR || mode == HALFTONE)) {
      long long sx0, sx1, sy0, sy1;
      span(sx, sw, sx0, sx1);
      span(sy, sh, sy0, sy1);
      std::set<std::uint32_t> values;
      for (long long qy = std::max<long long>(sy0, 0); qy < std::min<long long>(sy1, src->height); ++qy)
        for (long long qx = std::max<long long>(sx0, 0); qx < std::min<long long>(sx1, src->width); ++qx)
          values.insert(source_before[static_cast<std::size_t>(qy) * static_cast<std::size_t>(src->width) +
                                      static_cast<std::size_t>(qx)]);
      for (std::size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i]) require(values.count(after[i]) == 1);
    }

    if (old_brush) SelectObject(dst.dc, old_brush);
    if (brush) DeleteObject(brush);
    for (Surface* s : owned) delete s;
  }
  require(veneer::headless::testing::live_gdi_objects() == objects_before);
  return 0;
}
