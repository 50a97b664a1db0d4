// The truth table of a ternary raster operation as one expression over whole words, for the
// row loops of every source format and vector width. Internal to the platform.
#pragma once

#include <cstdint>

#include "gdi/vector_width.h"

namespace veneer::headless::gdi::raster {

// Result bit k of the operation index is the output for pattern bit P, source bit S and
// destination bit D with k = 4P + 2S + D (Win32's encoding: P = 0xF0, S = 0xCC, D = 0xAA).
// The common operations get their plain expressions; the others are the sum of minterms,
// which the compiler folds for each constant index. W is any unsigned integer or vector of
// them: the operations are bitwise.
template <unsigned R, typename W>
[[gnu::always_inline]] inline W apply(W p, W s, W d) {
  if constexpr (R == 0x00)
    return W{};
  else if constexpr (R == 0xff)
    return ~W{};
  else if constexpr (R == 0xcc)
    return s;
  else if constexpr (R == 0x33)
    return ~s;
  else if constexpr (R == 0x88)
    return s & d;
  else if constexpr (R == 0xee)
    return s | d;
  else if constexpr (R == 0x66)
    return s ^ d;
  else if constexpr (R == 0x44)
    return s & ~d;
  else if constexpr (R == 0x11)
    return ~(s | d);
  else if constexpr (R == 0xbb)
    return ~s | d;
  else if constexpr (R == 0x22)
    return ~s & d;
  else if constexpr (R == 0xc0)
    return p & s;
  else if constexpr (R == 0xf0)
    return p;
  else if constexpr (R == 0x0f)
    return ~p;
  else if constexpr (R == 0x5a)
    return p ^ d;
  else if constexpr (R == 0x55)
    return ~d;
  else if constexpr (R == 0xaa)
    return d;
  else if constexpr (R == 0xfb)
    return p | ~s | d;
  else if constexpr (R == 0xb8)
    return (p & ~s) | (d & s);  // PSDPxax, used for masked fills
  else if constexpr (R == 0xe2)
    return (d & ~s) | (p & s);  // DSPDxax
  else {
    W r{};
    if constexpr ((R & 0x01) != 0) r |= ~p & ~s & ~d;
    if constexpr ((R & 0x02) != 0) r |= ~p & ~s & d;
    if constexpr ((R & 0x04) != 0) r |= ~p & s & ~d;
    if constexpr ((R & 0x08) != 0) r |= ~p & s & d;
    if constexpr ((R & 0x10) != 0) r |= p & ~s & ~d;
    if constexpr ((R & 0x20) != 0) r |= p & ~s & d;
    if constexpr ((R & 0x40) != 0) r |= p & s & ~d;
    if constexpr ((R & 0x80) != 0) r |= p & s & d;
    return r;
  }
}

}  // namespace veneer::headless::gdi::raster
