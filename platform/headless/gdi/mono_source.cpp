// The 256 ternary raster operations over 32-bit destination pixels whose source is a
// monochrome row, each bit turned into its colour as it is read. Each operation has a loop
// over 16-byte blocks and, where the build can carry it, one over 32-byte blocks.
#include <algorithm>
#include <array>
#include <bit>
#include <utility>

#include "gdi/lanes.h"
#include "gdi/raster.h"
#include "gdi/rop_apply.h"
#include "gdi/vector_width.h"

namespace veneer::headless::gdi::raster {
namespace {

// The operation over one vector of pixels from byte `at` of the row, with the source already
// spread over its lanes.
template <unsigned R, typename Lanes>
[[gnu::always_inline]] inline void apply_lanes(std::uint8_t* d, const std::uint8_t* p, std::size_t at, Lanes source) {
  Lanes dw, pw{};
  std::memcpy(&dw, d + at, sizeof(Lanes));
  if constexpr (rop_uses_pattern(R)) std::memcpy(&pw, p + at, sizeof(Lanes));
  dw = apply<R, Lanes>(pw, source, dw);
  std::memcpy(d + at, &dw, sizeof(Lanes));
}

// How a row of `count` pixels from source bit `sx` is taken: pixels one at a time up to the
// first whole source byte (`head`), then 32 pixels to a step, then 8, then the pixels after the
// last whole byte (`tail`). The same for every row of a block, so it is worked out once.
struct RowSplit {
  int head, steps_of_32, steps_of_8, tail;
  RowSplit(int sx, int count) {
    head = std::min(count, (8 - (sx & 7)) & 7);
    const int rest = count - head;
    steps_of_32 = rest / 32;
    steps_of_8 = rest % 32 / 8;
    tail = rest % 8;
  }
};

// Each source byte's eight pixels go as lanes of `Lanes` (one or two vectors), each lane
// picking `one` or `zero` by its bit.
template <unsigned R, typename Lanes>
[[gnu::always_inline]] inline void mono_source_body(std::uint8_t* d, const std::uint8_t* src, int sx,
                                                    const std::uint8_t* p, const RowSplit& split, std::uint32_t zero,
                                                    std::uint32_t one) {
  constexpr bool use_p = rop_uses_pattern(R);
  constexpr int lanes = sizeof(Lanes) / 4;
  auto pixel_at = [&](int i) {
    std::uint32_t pw = 0, dw;
    if constexpr (use_p) std::memcpy(&pw, p + static_cast<std::size_t>(i) * 4, 4);
    std::memcpy(&dw, d + static_cast<std::size_t>(i) * 4, 4);
    const std::uint32_t sw = (src[(sx + i) >> 3] >> (7 - ((sx + i) & 7))) & 1u ? one : zero;
    dw = apply<R, std::uint32_t>(pw, sw, dw);
    std::memcpy(d + static_cast<std::size_t>(i) * 4, &dw, 4);
  };
  int i = 0;
  for (; i < split.head; ++i) pixel_at(i);
  const Lanes zeros = Lanes{} + zero, ones = Lanes{} + one;
  const std::uint8_t* byte = src + ((sx + i) >> 3);
  for (int step = 0; step < split.steps_of_32; ++step, i += 32, byte += 4) {
    std::uint32_t four;
    std::memcpy(&four, byte, 4);
    if constexpr (std::endian::native == std::endian::big) four = __builtin_bswap32(four);
#pragma GCC unroll 8
    for (int part = 0; part < 32 / lanes; ++part)
      apply_lanes<R, Lanes>(d, p, static_cast<std::size_t>(i + part * lanes) * 4,
                            colours_of_bits<Lanes>(four, part, zeros, ones));
  }
  for (int step = 0; step < split.steps_of_8; ++step, i += 8, ++byte) {
#pragma GCC unroll 2
    for (int part = 0; part < 8 / lanes; ++part)
      apply_lanes<R, Lanes>(d, p, static_cast<std::size_t>(i + part * lanes) * 4,
                            colours_of_bits<Lanes>(*byte, part, zeros, ones));
  }
  for (const int end = i + split.tail; i < end; ++i) pixel_at(i);
}

template <unsigned R, typename Lanes>
[[gnu::always_inline]] inline void mono_source_block(std::uint8_t* d, std::ptrdiff_t d_step, const std::uint8_t* src,
                                                     std::ptrdiff_t src_step, int sx, const std::uint8_t* p, int count,
                                                     int rows, std::uint32_t zero, std::uint32_t one) {
  if (count <= 0) return;
  const RowSplit split(sx, count);
  for_each_row(d, d_step, src, src_step, rows, [&](std::uint8_t* dr, const std::uint8_t* sr) {
    mono_source_body<R, Lanes>(dr, sr, sx, p, split, zero, one);
  });
}

template <unsigned R>
void mono_source_loop(std::uint8_t* d, std::ptrdiff_t d_step, const std::uint8_t* src, std::ptrdiff_t src_step, int sx,
                      const std::uint8_t* p, int count, int rows, std::uint32_t zero, std::uint32_t one) {
  mono_source_block<R, Pixels4>(d, d_step, src, src_step, sx, p, count, rows, zero, one);
}

template <std::size_t... I>
constexpr std::array<MonoSourceRopRows, 256> make_table(std::index_sequence<I...>) {
  return {&mono_source_loop<static_cast<unsigned>(I)>...};
}

constexpr std::array<MonoSourceRopRows, 256> table = make_table(std::make_index_sequence<256>{});

#if VENEER_WIDE_VECTORS
template <unsigned R>
VENEER_WIDE_TARGET void wide_mono_source_loop(std::uint8_t* d, std::ptrdiff_t d_step, const std::uint8_t* src,
                                              std::ptrdiff_t src_step, int sx, const std::uint8_t* p, int count,
                                              int rows, std::uint32_t zero, std::uint32_t one) {
  mono_source_block<R, Pixels8>(d, d_step, src, src_step, sx, p, count, rows, zero, one);
}

template <std::size_t... I>
constexpr std::array<MonoSourceRopRows, 256> make_wide_table(std::index_sequence<I...>) {
  return {&wide_mono_source_loop<static_cast<unsigned>(I)>...};
}

constexpr std::array<MonoSourceRopRows, 256> wide_table = make_wide_table(std::make_index_sequence<256>{});
#endif

}  // namespace

MonoSourceRopRows mono_source_rop_rows(unsigned index) {
#if VENEER_WIDE_VECTORS
  if (wide_vectors()) return wide_table[index & 0xff];
#endif
  return table[index & 0xff];
}

}  // namespace veneer::headless::gdi::raster
