// Blocks of bytes as vector values for the row loops, and the spreading of monochrome bits over
// the lanes of 32-bit pixels. Internal to the platform.
#pragma once

#include <cstdint>

#include "gdi/vector_width.h"

namespace veneer::headless::gdi::raster {

// 16 and 32 bytes as single values: the compiler keeps one in a vector register and applies
// bitwise operations to all of it at once (SSE2 or AVX2 on x86).
using Block16 = std::uint64_t __attribute__((vector_size(16)));
using Block32 = std::uint64_t __attribute__((vector_size(32)));
// The same widths as four or eight 32-bit pixels.
using Pixels4 = std::uint32_t __attribute__((vector_size(16)));
using Pixels8 = std::uint32_t __attribute__((vector_size(32)));
using SignedPixels8 = std::int32_t __attribute__((vector_size(32)));

// Monochrome pixels as they are loaded, up to four bytes at a time, into a little-endian word
// (the first byte lowest): the bit that holds pixel `pixel` (0 to 31). Within a byte the first
// pixel is the highest bit. A single byte is the same word with pixels 0 to 7 only.
constexpr int bit_of_pixel(int pixel) { return (pixel & ~7) + 7 - (pixel & 7); }

// Of the pixels in `bits`, the lane masks of those that fill `Lanes` number `part` (pixels
// part * lanes on): all ones where the pixel's bit is 1.
template <typename Lanes>
[[gnu::always_inline]] inline Lanes bit_lanes(std::uint32_t bits, int part) {
  constexpr int count = sizeof(Lanes) / 4;
  Lanes masks{};
  for (int k = 0; k < count; ++k) masks[k] = 1u << bit_of_pixel(part * count + k);
  return (Lanes)(((Lanes{} + bits) & masks) == masks);
}

// The colours of the same pixels: `ones` in the lanes whose bit is 1, `zeros` elsewhere. On
// eight lanes (AVX2) each lane's bit is shifted to the top, whose sign picks the colour: one
// variable shift and one blend. Four lanes (SSE2, which has neither) mask, compare and merge.
template <typename Lanes>
[[gnu::always_inline]] inline Lanes colours_of_bits(std::uint32_t bits, int part, Lanes zeros, Lanes ones) {
  if constexpr (sizeof(Lanes) == 32) {
    Lanes shifts{};
    for (int k = 0; k < 8; ++k) shifts[k] = static_cast<std::uint32_t>(31 - bit_of_pixel(part * 8 + k));
    const auto top = (SignedPixels8)((Lanes{} + bits) << shifts);
    return top < 0 ? ones : zeros;
  } else {
    return zeros ^ ((zeros ^ ones) & bit_lanes<Lanes>(bits, part));
  }
}

}  // namespace veneer::headless::gdi::raster
