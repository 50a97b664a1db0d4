// The 256 ternary raster operations, each compiled as its own row loop over 16-byte blocks,
// and again over 32-byte blocks where the build can carry them (gdi/vector_width.h).
#include <array>
#include <utility>

#include "gdi/lanes.h"
#include "gdi/raster.h"
#include "gdi/rop_apply.h"
#include "gdi/vector_width.h"

namespace veneer::headless::gdi::raster {
namespace {

template <unsigned R, typename W>
[[gnu::always_inline]] inline void apply_at(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p,
                                            std::size_t i) {
  W dw, sw{}, pw{};
  std::memcpy(&dw, d + i, sizeof(W));
  if constexpr (rop_uses_source(R)) std::memcpy(&sw, s + i, sizeof(W));
  if constexpr (rop_uses_pattern(R)) std::memcpy(&pw, p + i, sizeof(W));
  dw = apply<R, W>(pw, sw, dw);
  std::memcpy(d + i, &dw, sizeof(W));
}

// Two blocks of `Wide` to a step, then what is left in 16, 8 and single bytes. SRCCOPY is a
// plain copy; its source row never overlaps the destination row here (it is always a
// converted copy or a different surface's row handled by the caller).
template <unsigned R, typename Wide>
[[gnu::always_inline]] inline void rop_body(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p,
                                            std::size_t n) {
  if constexpr (R == 0xcc) {
    std::memmove(d, s, n);
  } else {
    constexpr bool use_s = rop_uses_source(R);
    constexpr bool use_p = rop_uses_pattern(R);
    constexpr std::size_t wide = sizeof(Wide);
    std::size_t i = 0;
    for (; i + 2 * wide <= n; i += 2 * wide) {
      apply_at<R, Wide>(d, s, p, i);
      apply_at<R, Wide>(d, s, p, i + wide);
    }
    if (i + wide <= n) {
      apply_at<R, Wide>(d, s, p, i);
      i += wide;
    }
    if constexpr (wide > 16) {
      if (i + 16 <= n) {
        apply_at<R, Block16>(d, s, p, i);
        i += 16;
      }
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
}

// A block of rows; the source pointer moves only when the operation reads it (it may be null).
template <unsigned R, typename Wide>
[[gnu::always_inline]] inline void rop_block(std::uint8_t* d, std::ptrdiff_t d_step, const std::uint8_t* s,
                                             std::ptrdiff_t s_step, const std::uint8_t* p, std::size_t n, int rows) {
  // The source may be null when the operation does not read it: it then stays where it is.
  for_each_row(d, d_step, s, rop_uses_source(R) ? s_step : 0, rows,
               [&](std::uint8_t* dr, const std::uint8_t* sr) { rop_body<R, Wide>(dr, sr, p, n); });
}

template <unsigned R>
void rop_loop(std::uint8_t* d, std::ptrdiff_t d_step, const std::uint8_t* s, std::ptrdiff_t s_step,
              const std::uint8_t* p, std::size_t n, int rows) {
  rop_block<R, Block16>(d, d_step, s, s_step, p, n, rows);
}

template <std::size_t... I>
constexpr std::array<RopRows, 256> make_table(std::index_sequence<I...>) {
  return {&rop_loop<static_cast<unsigned>(I)>...};
}

constexpr std::array<RopRows, 256> table = make_table(std::make_index_sequence<256>{});

#if VENEER_WIDE_VECTORS
template <unsigned R>
VENEER_WIDE_TARGET void wide_rop_loop(std::uint8_t* d, std::ptrdiff_t d_step, const std::uint8_t* s,
                                      std::ptrdiff_t s_step, const std::uint8_t* p, std::size_t n, int rows) {
  rop_block<R, Block32>(d, d_step, s, s_step, p, n, rows);
}

template <std::size_t... I>
constexpr std::array<RopRows, 256> make_wide_table(std::index_sequence<I...>) {
  return {&wide_rop_loop<static_cast<unsigned>(I)>...};
}

constexpr std::array<RopRows, 256> wide_table = make_wide_table(std::make_index_sequence<256>{});
#endif

}  // namespace

RopRows rop_rows(unsigned index) {
#if VENEER_WIDE_VECTORS
  if (wide_vectors()) return wide_table[index & 0xff];
#endif
  return table[index & 0xff];
}

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
    const Block16 four = {two, two};
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
