// The pixel formats of the headless GDI's surfaces, and the one place where Win32's bit counts
// (BITMAP.bmBitsPixel, BITMAPINFOHEADER.biBitCount, GetDeviceCaps) become formats and back.
//
// Every switch over PixelFormat names all three formats and has no `default:`, so that -Wswitch
// (an error here) finds a switch that misses one. Raster code chooses per format once per call
// (with_format, or a row function picked from a table) and runs its row loops on one format.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <optional>
#include <type_traits>

namespace veneer::headless::gdi {

enum class PixelFormat {
  Mono,    // 1 bit, most significant bit first; 1 is white
  Bgr24,   // blue, green, red bytes
  Bgrx32,  // one little-endian DWORD 0xAARRGGBB
};

// After a switch that has returned for every format: a value outside the enum is a broken
// invariant, never input.
[[noreturn]] inline void unknown_pixel_format() { std::abort(); }

constexpr int bits_of(PixelFormat format) {
  switch (format) {
    case PixelFormat::Mono:
      return 1;
    case PixelFormat::Bgr24:
      return 24;
    case PixelFormat::Bgrx32:
      return 32;
  }
  unknown_pixel_format();
}

// The format of exactly this bit count (a DIB header's), if the GDI has it.
constexpr std::optional<PixelFormat> format_of_bits(unsigned bits) {
  if (bits == 1) return PixelFormat::Mono;
  if (bits == 24) return PixelFormat::Bgr24;
  if (bits == 32) return PixelFormat::Bgrx32;
  return std::nullopt;
}

// The format of a device-dependent bitmap asked for with this bit count: Win32 rounds a depth
// up to the next it knows; this GDI keeps 1, 24 and 32 bits and has none below 24 but 1.
constexpr std::optional<PixelFormat> format_of_ddb_bits(unsigned bits) {
  if (bits == 1) return PixelFormat::Mono;
  if (bits > 16 && bits <= 24) return PixelFormat::Bgr24;
  if (bits > 24 && bits <= 32) return PixelFormat::Bgrx32;
  return std::nullopt;
}

// Bytes of one pixel of a colour format (0 for monochrome, whose pixels share bytes).
constexpr std::size_t pixel_bytes(PixelFormat format) { return static_cast<std::size_t>(bits_of(format)) / 8; }

template <PixelFormat F>
using FormatTag = std::integral_constant<PixelFormat, F>;

// Calls fn with the format as a compile-time constant (a FormatTag), so that the caller's row
// loops are compiled once per format and the choice is made once, here.
template <class Fn>
decltype(auto) with_format(PixelFormat format, Fn&& fn) {
  switch (format) {
    case PixelFormat::Mono:
      return fn(FormatTag<PixelFormat::Mono>{});
    case PixelFormat::Bgr24:
      return fn(FormatTag<PixelFormat::Bgr24>{});
    case PixelFormat::Bgrx32:
      return fn(FormatTag<PixelFormat::Bgrx32>{});
  }
  unknown_pixel_format();
}

}  // namespace veneer::headless::gdi
