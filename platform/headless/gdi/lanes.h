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

}  // namespace veneer::headless::gdi::raster
