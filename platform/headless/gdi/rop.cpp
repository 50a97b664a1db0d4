// The 256 ternary raster operations, each compiled as its own row loop over 16-byte blocks.
#include <array>
#include <utility>

#include "gdi/raster.h"

namespace veneer::headless::gdi::raster {
namespace {

// Result bit k of the operation index is the output for pattern bit P, source bit S and
// destination bit D with k = 4P + 2S + D (Win32's encoding: P = 0xF0, S = 0xCC, D = 0xAA).
// The common operations get their plain expressions; the others are the sum of minterms,
// which the compiler folds for each constant index.
template <unsigned R, typename W>
inline W apply(W p, W s, W d) {
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

// Sixteen bytes as one value: the compiler keeps it in a vector register (SSE2 on x86-64) and
// applies the bitwise operations to all of it at once.
using Block = std::uint64_t __attribute__((vector_size(16)));

template <unsigned R, typename W>
inline void apply_at(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p, std::size_t i) {
  W dw, sw{}, pw{};
  std::memcpy(&dw, d + i, sizeof(W));
  if constexpr (rop_uses_source(R)) std::memcpy(&sw, s + i, sizeof(W));
  if constexpr (rop_uses_pattern(R)) std::memcpy(&pw, p + i, sizeof(W));
  dw = apply<R, W>(pw, sw, dw);
  std::memcpy(d + i, &dw, sizeof(W));
}

template <unsigned R>
void rop_loop(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p, std::size_t n) {
  constexpr bool use_s = rop_uses_source(R);
  constexpr bool use_p = rop_uses_pattern(R);
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    apply_at<R, Block>(d, s, p, i);
    apply_at<R, Block>(d, s, p, i + 16);
  }
  if (i + 16 <= n) {
    apply_at<R, Block>(d, s, p, i);
    i += 16;
  }
  if (i + 8 <= n) {
    apply_at<R, std::uint64_t>(d, s, p, i);
    i += 8;
  }
  for (; i < n; ++i) {
    std::uint8_t sb = 0, pb = 0;
    if constexpr (use_s) sb = s[i];
    if constexpr (use_p) pb = p[i];
    d[i] = apply<R, std::uint8_t>(pb, sb, d[i]);
  }
}

// SRCCOPY is a plain copy; the source row never overlaps the destination row here (it is
// always a converted copy or a different surface's row handled by the caller).
template <>
void rop_loop<0xcc>(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t*, std::size_t n) {
  std::memmove(d, s, n);
}

template <std::size_t... I>
constexpr std::array<RopRow, 256> make_table(std::index_sequence<I...>) {
  return {&rop_loop<static_cast<unsigned>(I)>...};
}

constexpr std::array<RopRow, 256> table = make_table(std::make_index_sequence<256>{});

}  // namespace

RopRow rop_row(unsigned index) { return table[index & 0xff]; }

namespace {

// For each byte of a monochrome row, its eight pixels as 32-bit lane masks (all ones for a 1
// bit), the first pixel (the highest bit) first.
struct BitMasks {
  std::uint32_t lanes[256][8];
};

constexpr BitMasks make_bit_masks() {
  BitMasks m{};
  for (unsigned b = 0; b < 256; ++b)
    for (unsigned k = 0; k < 8; ++k) m.lanes[b][k] = (b >> (7 - k)) & 1u ? 0xffffffffu : 0u;
  return m;
}

constexpr BitMasks bit_masks = make_bit_masks();

template <unsigned R>
void mono_source_loop(std::uint8_t* d, const std::uint8_t* src, int sx, const std::uint8_t* p, int count,
                      std::uint32_t zero, std::uint32_t one) {
  constexpr bool use_p = rop_uses_pattern(R);
  auto pixel_at = [&](int i) {
    std::uint32_t pw = 0, dw;
    if constexpr (use_p) std::memcpy(&pw, p + static_cast<std::size_t>(i) * 4, 4);
    std::memcpy(&dw, d + static_cast<std::size_t>(i) * 4, 4);
    const std::uint32_t sw = (src[(sx + i) >> 3] >> (7 - ((sx + i) & 7))) & 1u ? one : zero;
    dw = apply<R, std::uint32_t>(pw, sw, dw);
    std::memcpy(d + static_cast<std::size_t>(i) * 4, &dw, 4);
  };
  int i = 0;
  for (; i < count && ((sx + i) & 7) != 0; ++i) pixel_at(i);
  // Whole source bytes: eight pixels from their lane masks, as two blocks of four.
  const std::uint64_t zero2 = zero | std::uint64_t{zero} << 32, diff2 = (zero ^ one) | std::uint64_t{zero ^ one} << 32;
  const Block zeros = {zero2, zero2}, diffs = {diff2, diff2};
  const std::uint8_t* byte = src + ((sx + i) >> 3);
  for (; i + 8 <= count; i += 8, ++byte) {
    const std::uint32_t* lanes = bit_masks.lanes[*byte];
    const std::size_t at = static_cast<std::size_t>(i) * 4;
    for (std::size_t half = 0; half < 2; ++half) {
      Block mask, dw, pw{};
      std::memcpy(&mask, lanes + half * 4, 16);
      std::memcpy(&dw, d + at + half * 16, 16);
      if constexpr (use_p) std::memcpy(&pw, p + at + half * 16, 16);
      dw = apply<R, Block>(pw, zeros ^ (diffs & mask), dw);
      std::memcpy(d + at + half * 16, &dw, 16);
    }
  }
  for (; i < count; ++i) pixel_at(i);
}

template <std::size_t... I>
constexpr std::array<MonoSourceRopRow, 256> make_mono_source_table(std::index_sequence<I...>) {
  return {&mono_source_loop<static_cast<unsigned>(I)>...};
}

constexpr std::array<MonoSourceRopRow, 256> mono_source_table = make_mono_source_table(std::make_index_sequence<256>{});

}  // namespace

MonoSourceRopRow mono_source_rop_row(unsigned index) { return mono_source_table[index & 0xff]; }

namespace {

// Repeats a block of whole pixels (a multiple of the pixel size, so that every copy starts on
// a pixel) over n bytes; the last copy may stop inside a pixel.
template <std::size_t Block>
void repeat_block(std::uint8_t* out, std::size_t n, const std::uint8_t (&block)[Block]) {
  for (; n >= Block; n -= Block, out += Block) std::memcpy(out, block, Block);
  std::memcpy(out, block, n);
}

}  // namespace

template <PixelFormat F>
void fill_pixels(std::uint8_t* out, std::size_t count, std::uint32_t pixel) {
  static_assert(F != PixelFormat::Mono, "monochrome pixels share bytes: fill_pattern fills them");
  if constexpr (F == PixelFormat::Bgrx32) {
    // Four pixels to a store, eight stores to a step.
    const std::uint64_t two = pixel | std::uint64_t{pixel} << 32;
    const Block four = {two, two};
    for (std::size_t steps = count / 32; steps != 0; --steps, out += 128) {
      std::memcpy(out, &four, 16);
      std::memcpy(out + 16, &four, 16);
      std::memcpy(out + 32, &four, 16);
      std::memcpy(out + 48, &four, 16);
      std::memcpy(out + 64, &four, 16);
      std::memcpy(out + 80, &four, 16);
      std::memcpy(out + 96, &four, 16);
      std::memcpy(out + 112, &four, 16);
    }
    for (std::size_t stores = count % 32 / 4; stores != 0; --stores, out += 16) std::memcpy(out, &four, 16);
    for (std::size_t rest = count % 4; rest != 0; --rest, out += 4) std::memcpy(out, &pixel, 4);
    return;
  }
  constexpr std::size_t size = pixel_bytes(F);
  std::uint8_t block[16 * size];
  for (int i = 0; i < 16; ++i) write_pixel<F>(block, i, pixel);
  repeat_block(out, count * size, block);
}

template void fill_pixels<PixelFormat::Bgr24>(std::uint8_t*, std::size_t, std::uint32_t);
template void fill_pixels<PixelFormat::Bgrx32>(std::uint8_t*, std::size_t, std::uint32_t);

namespace {

// Whole pixels, then the bytes of a last partial one.
template <PixelFormat F>
void fill_colour_pattern(std::uint8_t* out, std::size_t n, std::uint32_t pixel) {
  constexpr std::size_t size = pixel_bytes(F);
  fill_pixels<F>(out, n / size, pixel);
  for (std::size_t i = n / size * size; i < n; ++i) out[i] = static_cast<std::uint8_t>(pixel >> (8 * (i % size)));
}

}  // namespace

void fill_pattern(std::uint8_t* out, std::size_t n, PixelFormat format, std::uint32_t pixel) {
  switch (format) {
    case PixelFormat::Mono:
      std::memset(out, (pixel & 1) ? 0xff : 0x00, n);
      return;
    case PixelFormat::Bgr24:
      return fill_colour_pattern<PixelFormat::Bgr24>(out, n, pixel);
    case PixelFormat::Bgrx32:
      return fill_colour_pattern<PixelFormat::Bgrx32>(out, n, pixel);
  }
  unknown_pixel_format();
}

}  // namespace veneer::headless::gdi::raster
