// The drawing target of the tests: a DIB section of any depth selected into its own memory
// context, built on Win32 calls only so that the same test runs against real GDI (Wine) and
// the headless GDI. Its pixels can be read raw (row, at) or, on 32-bit canvases, as COLORREF
// values (color, colors); cdc() is the framework's view of the context, for the library's
// exports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/support/dib_section.h"
#include <veneer/framework/afx_gdi.h>

namespace veneer::test {

// A 32-bit DIB pixel is 0x00RRGGBB as a little-endian value; COLORREF is 0x00BBGGRR.
inline std::uint32_t dib_pixel_of(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
inline COLORREF color_of_dib_pixel(std::uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

// A colour to fill a new canvas with.
struct Fill {
  COLORREF color;
};

struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  void* bits = nullptr;
  int width = 0, height = 0, bpp = 0;
  bool bottom_up = false;

  // A new DIB section holds zeros: black.
  Canvas(int w, int h, int bits_per_pixel = 32, bool bottom_up_rows = false)
      : width(w), height(h), bpp(bits_per_pixel), bottom_up(bottom_up_rows) {
    bitmap = make_dib_section(w, h, bpp, &bits, bottom_up ? RowOrder::BottomUp : RowOrder::TopDown);
    dc = CreateCompatibleDC(nullptr);
    previous = SelectObject(dc, bitmap);
  }
  // A 32-bit canvas filled with the colour.
  Canvas(int w, int h, Fill fill) : Canvas(w, h) {
    if (bits) fill_color(fill.color);
  }
  ~Canvas() {
    cdc_.Detach();
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool ready() const { return bitmap && bits && dc && previous; }
  std::size_t stride() const { return dib_stride(width, bpp); }
  std::uint8_t* row(int y) const {
    GdiFlush();
    return static_cast<std::uint8_t*>(bits) + stride() * static_cast<std::size_t>(bottom_up ? height - 1 - y : y);
  }
  std::uint32_t& at(int x, int y) const { return reinterpret_cast<std::uint32_t*>(row(y))[x]; }  // 32-bit canvases
  void fill(std::uint32_t value) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) at(x, y) = value;
  }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

  // 32-bit canvases as colours.
  COLORREF color(int x, int y) const { return color_of_dib_pixel(at(x, y)); }
  void set_color(int x, int y, COLORREF c) { at(x, y) = dib_pixel_of(c); }
  void fill_color(COLORREF c) { fill(dib_pixel_of(c)); }
  // Every pixel, row by row from the top.
  std::vector<COLORREF> colors() const {
    std::vector<COLORREF> out;
    out.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) out.push_back(color(x, y));
    return out;
  }

  // The context as the framework sees it; the canvas keeps owning it.
  CDC& cdc() {
    if (!cdc_.m_hDC) cdc_.Attach(dc);
    return cdc_;
  }

 private:
  CDC cdc_;
};

}  // namespace veneer::test
