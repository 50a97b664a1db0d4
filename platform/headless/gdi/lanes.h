// Blocks of bytes as vector values for the row loops, and the spreading of a monochrome byte
// over the lanes of eight 32-bit pixels. Internal to the platform.
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

// Of the eight pixels a monochrome byte holds, the lane masks of those that fill `Lanes` number
// `part` (0 and 1 for four lanes, 0 for eight): all ones where the pixel's bit is 1. The first
// pixel is the byte's highest bit and goes in the first lane.
template <typename Lanes>
[[gnu::always_inline]] inline Lanes bit_lanes(std::uint32_t byte, int part) {
  constexpr int count = sizeof(Lanes) / 4;
  Lanes bits{};
  for (int k = 0; k < count; ++k) bits[k] = 0x80u >> (part * count + k);
  return (Lanes)(((Lanes{} + byte) & bits) == bits);
}

// The same for pixels read 32 at a time: `four` holds four monochrome bytes as loaded from memory
// into a little-endian word (the first byte lowest), and the lanes are those of pixels
// part * lanes on of the 32.
template <typename Lanes>
[[gnu::always_inline]] inline Lanes bit_lanes_of_four(std::uint32_t four, int part) {
  constexpr int count = sizeof(Lanes) / 4;
  Lanes bits{};
  for (int k = 0; k < count; ++k) {
    const int pixel = part * count + k;
    bits[k] = 1u << ((pixel & ~7) + 7 - (pixel & 7));
  }
  return (Lanes)(((Lanes{} + four) & bits) == bits);
}

// The colours of the pixels that `bit_lanes_of_four` (or, for `single_byte`, `bit_lanes` of the
// byte) spreads: `ones` in the lanes whose bit is 1, `zeros` elsewhere. On eight lanes (AVX2)
// each lane's bit is shifted to the top, whose sign picks the colour: one variable shift and
// one blend. Four lanes (SSE2, which has neither) mask, compare and merge.
template <typename Lanes, bool single_byte = false>
[[gnu::always_inline]] inline Lanes colours_of_bits(std::uint32_t bits, int part, Lanes zeros, Lanes ones) {
  if constexpr (sizeof(Lanes) == 32) {
    constexpr int count = 8;
    Lanes shifts{};
    for (int k = 0; k < count; ++k) {
      const int pixel = part * count + k;
      const int bit = single_byte ? 7 - pixel : (pixel & ~7) + 7 - (pixel & 7);
      shifts[k] = static_cast<std::uint32_t>(31 - bit);
    }
    const auto top = (SignedPixels8)((Lanes{} + bits) << shifts);
    return top < 0 ? ones : zeros;
  } else {
    const Lanes mask = single_byte ? bit_lanes<Lanes>(bits, part) : bit_lanes_of_four<Lanes>(bits, part);
    return zeros ^ ((zeros ^ ones) & mask);
  }
}

}  // namespace veneer::headless::gdi::raster
