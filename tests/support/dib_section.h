// DIB sections for the tests, benchmarks and fuzzers, made through the Win32 calls both
// platforms have.
#pragma once

#include <cstddef>

#include <veneer/framework/win32_api.h>

namespace veneer::test {

enum class RowOrder { TopDown, BottomUp };

// A DIB section's header followed by the two-entry colour table (black, white) that a
// monochrome section takes; colour sections ignore the table.
struct DibInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD colours[2]{};
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
  BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

inline DibInfo dib_info(int width, int height, int bits_per_pixel, RowOrder order = RowOrder::TopDown) {
  DibInfo d;
  d.header.biSize = sizeof(BITMAPINFOHEADER);
  d.header.biWidth = width;
  d.header.biHeight = order == RowOrder::TopDown ? -height : height;
  d.header.biPlanes = 1;
  d.header.biBitCount = static_cast<WORD>(bits_per_pixel);
  d.header.biCompression = BI_RGB;
  d.colours[1] = RGBQUAD{255, 255, 255, 0};
  return d;
}

// A DIB section; *bits points at its first row in memory (the top row when top-down). On
// failure null, with *bits null.
inline HBITMAP make_dib_section(int width, int height, int bits_per_pixel, void** bits,
                                RowOrder order = RowOrder::TopDown, HDC dc = nullptr) {
  const DibInfo d = dib_info(width, height, bits_per_pixel, order);
  *bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, d.info(), DIB_RGB_COLORS, bits, nullptr, 0);
  if (bitmap && !*bits) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  if (!bitmap) *bits = nullptr;
  return bitmap;
}

// Bytes in one row of a DIB section: rows are padded to 4 bytes.
inline std::size_t dib_stride(int width, int bits_per_pixel) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits_per_pixel) + 31) / 32 * 4;
}

}  // namespace veneer::test
