// Grayscale conversion of pixel rows in place: BT.601 luma with each term truncated on its
// own, y = floor(0.114 b) + floor(0.587 g) + floor(0.299 r), written to the three colour
// bytes; the fourth byte of a 32-bit pixel is not a colour and is kept. Every row function
// gives exactly these values for all 2^24 colours; they differ only in speed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veneer::graphics {

using GrayRow = void (*)(std::uint8_t* row, std::size_t pixels);

struct GrayRows {
  GrayRow row24;
  GrayRow row32;
  const char* name;
};

// The fastest rows this processor runs, chosen once per process.
const GrayRows& gray_rows();

// Each implementation, for tests that hold them to the formula: the portable one always,
// the SSE2 and AVX2 ones where the build and the processor have them (else null).
const GrayRows& portable_gray_rows();
const GrayRows* sse2_gray_rows();
const GrayRows* avx2_gray_rows();

}  // namespace veneer::graphics
