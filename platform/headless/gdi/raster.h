// Row-level raster primitives of the headless GDI: pixel access, conversion of row spans
// between pixel formats with Win32's colour rules, and the 256 ternary raster operations
// applied to whole rows. The format is a template argument wherever a loop runs over pixels;
// callers choose it once per call (with_format, or a function picked from a table).
// Internal to the platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gdi/pixel_format.h"

namespace veneer::headless::gdi::raster {

template <PixelFormat F>
inline std::uint32_t read_pixel(const std::uint8_t* row, int x) {
  PixelFormat format = F;  // -Wswitch checks a switch over a variable, not over a constant
  switch (format) {
    case PixelFormat::Mono:
      return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case PixelFormat::Bgr24: {
      const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
      return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
             (static_cast<std::uint32_t>(p[2]) << 16);
    }
    case PixelFormat::Bgrx32: {
      std::uint32_t v;
      std::memcpy(&v, row + static_cast<std::size_t>(x) * 4, 4);
      return v;
    }
  }
  unknown_pixel_format();
}

template <PixelFormat F>
inline void write_pixel(std::uint8_t* row, int x, std::uint32_t value) {
  PixelFormat format = F;  // as in read_pixel
  switch (format) {
    case PixelFormat::Mono: {
      std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
      if (value & 1)
        row[x >> 3] |= bit;
      else
        row[x >> 3] &= static_cast<std::uint8_t>(~bit);
      return;
    }
    case PixelFormat::Bgr24: {
      std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
      p[0] = static_cast<std::uint8_t>(value);
      p[1] = static_cast<std::uint8_t>(value >> 8);
      p[2] = static_cast<std::uint8_t>(value >> 16);
      return;
    }
    case PixelFormat::Bgrx32:
      std::memcpy(row + static_cast<std::size_t>(x) * 4, &value, 4);
      return;
  }
  unknown_pixel_format();
}

// Bytes that hold `count` pixels of the format starting at bit offset `bit` (monochrome) or at
// a whole pixel (colour).
constexpr std::size_t span_bytes(PixelFormat format, int bit, int count) {
  if (count <= 0) return 0;
  switch (format) {
    case PixelFormat::Mono:
      return (static_cast<std::size_t>(bit) + static_cast<std::size_t>(count) + 7) / 8;
    case PixelFormat::Bgr24:
    case PixelFormat::Bgrx32:
      return static_cast<std::size_t>(count) * pixel_bytes(format);
  }
  unknown_pixel_format();
}

// The colours that conversions between monochrome and colour need.
struct ConversionColors {
  std::uint32_t source_background = 0;  // colour to monochrome: this source pixel becomes 1
  std::uint32_t zero = 0;               // monochrome to colour: a 0 bit becomes this pixel
  std::uint32_t one = 0;                // and a 1 bit this one
};

// Writes `count` pixels of `src` from column sx into `out`, in the target format; monochrome
// output starts at bit `out_bit` of out[0] and leaves the other bits of the first and last
// byte as they were.
//   colour to monochrome: a pixel equal to colors.source_background (all 32 bits of a 32-bit
//     pixel) becomes 1, every other pixel 0;
//   monochrome to colour: 0 becomes colors.zero, 1 becomes colors.one;
//   between 24 and 32 bits: the colour bytes are kept; 32-bit pixels made here have a 0 top byte.
// A call converts `rows` such spans: source rows src_step bytes apart, output rows out_step apart
// (all at the same column and bit), so that a block of short rows pays for one call.
using SpanConversion = void (*)(const std::uint8_t* src, std::ptrdiff_t src_step, int sx, int count, std::uint8_t* out,
                                std::ptrdiff_t out_step, int out_bit, int rows, const ConversionColors& colors);
SpanConversion span_conversion(PixelFormat from, PixelFormat to);

// Copies `count` bits from src (starting at bit src_bit) to dst (starting at bit dst_bit),
// leaving the other bits of dst's first and last bytes alone.
void copy_bits(std::uint8_t* dst, int dst_bit, const std::uint8_t* src, int src_bit, int count);

// Runs `row(d, s)` over a block of `rows` rows whose destination and source rows lie d_step and
// s_step bytes apart. The pointers move only between rows: past the last row they would leave
// their surfaces. A source that is not read may be null, with a step of 0.
template <typename D, typename S, typename Row>
[[gnu::always_inline]] inline void for_each_row(D* d, std::ptrdiff_t d_step, S* s, std::ptrdiff_t s_step, int rows,
                                                Row&& row) {
  for (; rows > 0; --rows) {
    row(d, s);
    if (rows == 1) break;
    d += d_step;
    s += s_step;
  }
}

// A ternary raster operation over `rows` rows of n bytes: d = op(p, s, d) bitwise, byte by
// byte, which is exact for every pixel format because the operations are bitwise. Each row
// starts d_step bytes after the one before it, and its source s_step bytes after the last
// source row; the pattern span p is the same for every row. s or p may be null when the
// operation does not use them. A block of rows goes in one call, so that a short row does not
// pay a call and a set-up each.
using RopRows = void (*)(std::uint8_t* d, std::ptrdiff_t d_step, const std::uint8_t* s, std::ptrdiff_t s_step,
                         const std::uint8_t* p, std::size_t n, int rows);
RopRows rop_rows(unsigned index);

// The same operation over `rows` rows of `count` 32-bit destination pixels whose source is a
// monochrome row read from bit sx on: each source bit stands for `zero` or `one` as it is read,
// with no converted copy of the row. Rows are d_step and src_step bytes apart; p, when used,
// holds a pattern pixel for each destination pixel of a row.
using MonoSourceRopRows = void (*)(std::uint8_t* d, std::ptrdiff_t d_step, const std::uint8_t* src,
                                   std::ptrdiff_t src_step, int sx, const std::uint8_t* p, int count, int rows,
                                   std::uint32_t zero, std::uint32_t one);
MonoSourceRopRows mono_source_rop_rows(unsigned index);

constexpr bool rop_uses_source(unsigned index) { return (((index >> 2) ^ index) & 0x33) != 0; }
constexpr bool rop_uses_pattern(unsigned index) { return (((index >> 4) ^ index) & 0x0f) != 0; }
constexpr bool rop_uses_destination(unsigned index) { return (((index >> 1) ^ index) & 0x55) != 0; }

// Fills n bytes with a solid pattern of the pixel value in the format (monochrome: 0 or 1).
void fill_pattern(std::uint8_t* out, std::size_t n, PixelFormat format, std::uint32_t pixel);

// Copies n bytes between spans that do not overlap, in 64-byte blocks. For the spans of a
// row or two (a few KiB) that a caller copies many times over this keeps up with the stores
// where the library's memcpy, which switches to string instructions at that length, does not.
inline void copy_span(std::uint8_t* dst, const std::uint8_t* src, std::size_t n) {
  for (; n >= 64; n -= 64, dst += 64, src += 64) std::memcpy(dst, src, 64);
  std::memcpy(dst, src, n);
}

// Writes `count` pixels of the value from out[0] on, in a colour format.
template <PixelFormat F>
void fill_pixels(std::uint8_t* out, std::size_t count, std::uint32_t pixel);

}  // namespace veneer::headless::gdi::raster
