// Conversion of row spans between the monochrome, 24-bit and 32-bit formats, with the rules
// Win32 applies in blits. Each pairing has its own loop, picked once per call; monochrome
// sources and targets move a byte of eight pixels at a time where they can.
#include <algorithm>

#include "gdi/raster.h"
#include "gdi/vector_width.h"

#if VENEER_WIDE_VECTORS
#include <immintrin.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#define VENEER_CONVERT_SSE2 1
#else
#define VENEER_CONVERT_SSE2 0
#endif

namespace veneer::headless::gdi::raster {

void copy_bits(std::uint8_t* dst, int dst_bit, const std::uint8_t* src, int src_bit, int count) {
  if (count <= 0) return;
  dst += dst_bit >> 3;
  dst_bit &= 7;
  src += src_bit >> 3;
  src_bit &= 7;
  if (dst_bit == src_bit) {
    // Same alignment: whole bytes in the middle, masked edges.
    int first = 8 - dst_bit;
    if (count <= first) {
      std::uint8_t mask = static_cast<std::uint8_t>((0xffu >> dst_bit) & (0xffu << (first - count)));
      *dst = static_cast<std::uint8_t>((*dst & ~mask) | (*src & mask));
      return;
    }
    if (dst_bit) {
      std::uint8_t mask = static_cast<std::uint8_t>(0xffu >> dst_bit);
      *dst = static_cast<std::uint8_t>((*dst & ~mask) | (*src & mask));
      ++dst;
      ++src;
      count -= first;
    }
    std::size_t whole = static_cast<std::size_t>(count) / 8;
    std::memmove(dst, src, whole);
    dst += whole;
    src += whole;
    count -= static_cast<int>(whole * 8);
    if (count) {
      std::uint8_t mask = static_cast<std::uint8_t>(0xff00u >> count);
      *dst = static_cast<std::uint8_t>((*dst & ~mask) | (*src & mask));
    }
    return;
  }
  // Different alignment: build each output byte from two source bytes.
  int out = dst_bit;
  int in = src_bit;
  while (count > 0) {
    int room = 8 - out;
    int n = count < room ? count : room;
    // The next n source bits, left-aligned in a 16-bit window.
    unsigned window = (static_cast<unsigned>(src[0]) << 8) | (n > 8 - in ? src[1] : 0u);
    unsigned bits = (window << in) & 0xffffu;  // source bits now start at bit 15
    std::uint8_t value = static_cast<std::uint8_t>((bits >> 8) >> out);
    std::uint8_t mask = static_cast<std::uint8_t>(((0xff00u >> n) & 0xffu) >> out);
    *dst = static_cast<std::uint8_t>((*dst & ~mask) | (value & mask));
    count -= n;
    out += n;
    in += n;
    if (out == 8) {
      out = 0;
      ++dst;
    }
    src += in >> 3;
    in &= 7;
  }
}

namespace {

// Monochrome to colour: a pixel at a time up to the first whole source byte, then eight pixels
// from each byte read.
template <PixelFormat To>
void mono_to_colour(const std::uint8_t* src, int sx, int count, std::uint8_t* out, const ConversionColors& c) {
  int i = 0;
  for (; i < count && ((sx + i) & 7) != 0; ++i)
    write_pixel<To>(out, i, read_pixel<PixelFormat::Mono>(src, sx + i) ? c.one : c.zero);
  const std::uint8_t* byte = src + ((sx + i) >> 3);
#if VENEER_CONVERT_SSE2
  if constexpr (To == PixelFormat::Bgrx32) {
    // Each bit picks its lane: the byte in every lane, tested against the lane's bit.
    const __m128i zero = _mm_set1_epi32(static_cast<int>(c.zero));
    const __m128i diff = _mm_set1_epi32(static_cast<int>(c.one ^ c.zero));
    const __m128i high = _mm_set_epi32(0x10, 0x20, 0x40, 0x80), low = _mm_set_epi32(0x1, 0x2, 0x4, 0x8);
    for (; i + 8 <= count; i += 8, ++byte) {
      const __m128i bits = _mm_set1_epi32(*byte);
      const __m128i first = _mm_cmpeq_epi32(_mm_and_si128(bits, high), high);
      const __m128i second = _mm_cmpeq_epi32(_mm_and_si128(bits, low), low);
      auto* o = reinterpret_cast<__m128i*>(out + static_cast<std::size_t>(i) * 4);
      _mm_storeu_si128(o, _mm_xor_si128(zero, _mm_and_si128(diff, first)));
      _mm_storeu_si128(o + 1, _mm_xor_si128(zero, _mm_and_si128(diff, second)));
    }
  }
#endif
  for (; i + 8 <= count; i += 8, ++byte) {
    const unsigned bits = *byte;
    for (int k = 0; k < 8; ++k) write_pixel<To>(out, i + k, (bits >> (7 - k)) & 1u ? c.one : c.zero);
  }
  for (; i < count; ++i) write_pixel<To>(out, i, read_pixel<PixelFormat::Mono>(src, sx + i) ? c.one : c.zero);
}

// Four bits in the opposite order.
constexpr std::uint8_t reversed_nibble[16] = {0x0, 0x8, 0x4, 0xc, 0x2, 0xa, 0x6, 0xe,
                                              0x1, 0x9, 0x5, 0xd, 0x3, 0xb, 0x7, 0xf};

// Each byte with its eight bits in the opposite order.
struct ReversedBytes {
  std::uint8_t of[256];
};
constexpr ReversedBytes make_reversed_bytes() {
  ReversedBytes r{};
  for (unsigned b = 0; b < 256; ++b)
    r.of[b] = static_cast<std::uint8_t>(reversed_nibble[b & 15] << 4 | reversed_nibble[b >> 4]);
  return r;
}
constexpr ReversedBytes reversed_bytes = make_reversed_bytes();

#if VENEER_WIDE_VECTORS
// 32-bit pixels against the key on 32-byte vectors, from pixel i (relative to p) for as many
// whole output bytes as there are: thirty-two pixels a step, their compare results packed to
// bytes in pixel order, each group of eight reversed so that the first pixel lands in the
// byte's highest bit, and gathered as four output bytes; then eight a step. Returns the pixel
// after the last one done; o moves past the bytes written.
VENEER_WIDE_TARGET int wide_key_bytes(const std::uint8_t* p, int i, int count, std::uint8_t*& o,
                                      std::uint32_t background) {
  const __m256i key = _mm256_set1_epi32(static_cast<int>(background));
  // The packs work within 128-bit halves: this puts the groups of four pixels back in order.
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  const __m256i reverse = _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0,
                                           15, 14, 13, 12, 11, 10, 9, 8);
  for (; i + 32 <= count; i += 32, o += 4) {
    const auto* q = reinterpret_cast<const __m256i*>(p + static_cast<std::size_t>(i) * 4);
    const __m256i a = _mm256_cmpeq_epi32(_mm256_loadu_si256(q), key);
    const __m256i b = _mm256_cmpeq_epi32(_mm256_loadu_si256(q + 1), key);
    const __m256i c = _mm256_cmpeq_epi32(_mm256_loadu_si256(q + 2), key);
    const __m256i d = _mm256_cmpeq_epi32(_mm256_loadu_si256(q + 3), key);
    const __m256i packed = _mm256_packs_epi16(_mm256_packs_epi32(a, b), _mm256_packs_epi32(c, d));
    const __m256i ordered = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(packed, order), reverse);
    const auto bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(ordered));
    std::memcpy(o, &bits, 4);  // x86 is little-endian: the first eight pixels' byte first
  }
  for (; i + 8 <= count; i += 8) {
    const auto* q = reinterpret_cast<const __m256i*>(p + static_cast<std::size_t>(i) * 4);
    const auto bits =
        static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_loadu_si256(q), key))));
    *o++ = reversed_bytes.of[bits];
  }
  return i;
}
#endif

// Colour to monochrome: a pixel is 1 where it equals the background. The pixels up to the next
// output byte are merged into it, then eight at a time make a whole byte, then the rest are
// merged into the last one.
// Whole bytes go on 32-byte vectors when `Wide`.
template <PixelFormat From, bool Wide>
[[gnu::always_inline]] inline void colour_to_mono_body(const std::uint8_t* src, int sx, int count, std::uint8_t* out,
                                                       int out_bit, std::uint32_t background) {
  auto bits_of = [&](int from, int n) {  // n pixels' bits, the first one highest
    unsigned acc = 0;
    for (int k = 0; k < n; ++k) acc = (acc << 1) | (read_pixel<From>(src, sx + from + k) == background ? 1u : 0u);
    return acc;
  };
  auto merge = [](std::uint8_t* o, int first_bit, int n, unsigned value) {
    const auto mask = static_cast<std::uint8_t>(((0xff00u >> n) & 0xffu) >> first_bit);
    const auto bits = static_cast<std::uint8_t>((value << (8 - n)) >> first_bit);
    *o = static_cast<std::uint8_t>((*o & ~mask) | (bits & mask));
  };
  std::uint8_t* o = out;
  int i = 0;
  if (out_bit != 0) {
    const int n = std::min(count, 8 - out_bit);
    merge(o, out_bit, n, bits_of(0, n));
    if (out_bit + n < 8) return;
    ++o;
    i = n;
  }
#if VENEER_WIDE_VECTORS
  if constexpr (Wide) i = wide_key_bytes(src + static_cast<std::size_t>(sx) * 4, i, count, o, background);
#endif
#if VENEER_CONVERT_SSE2
  if constexpr (From == PixelFormat::Bgrx32 && !Wide) {
    // Four pixels compared at once; their signs gathered, first pixel lowest, then reversed
    // into the byte's order (first pixel highest).
    const __m128i key = _mm_set1_epi32(static_cast<int>(background));
    const std::uint8_t* p = src + static_cast<std::size_t>(sx) * 4;
    // Sixteen pixels compared at once; their results packed to bytes and gathered as sixteen
    // bits, first pixel lowest, then each byte reversed into the output's order.
    for (; i + 16 <= count; i += 16) {
      const auto* q = reinterpret_cast<const __m128i*>(p + static_cast<std::size_t>(i) * 4);
      const __m128i a = _mm_cmpeq_epi32(_mm_loadu_si128(q), key), b = _mm_cmpeq_epi32(_mm_loadu_si128(q + 1), key);
      const __m128i c = _mm_cmpeq_epi32(_mm_loadu_si128(q + 2), key), d = _mm_cmpeq_epi32(_mm_loadu_si128(q + 3), key);
      const auto bits =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d))));
      *o++ = reversed_bytes.of[bits & 0xff];
      *o++ = reversed_bytes.of[bits >> 8];
    }
    for (; i + 8 <= count; i += 8) {
      const auto* q = reinterpret_cast<const __m128i*>(p + static_cast<std::size_t>(i) * 4);
      const auto first =
          static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_loadu_si128(q), key))));
      const auto second =
          static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_loadu_si128(q + 1), key))));
      *o++ = static_cast<std::uint8_t>(reversed_nibble[first] << 4 | reversed_nibble[second]);
    }
  }
#endif
  for (; i + 8 <= count; i += 8) *o++ = static_cast<std::uint8_t>(bits_of(i, 8));
  if (i < count) merge(o, 0, count - i, bits_of(i, count - i));
}

template <PixelFormat From>
void colour_to_mono(const std::uint8_t* src, int sx, int count, std::uint8_t* out, int out_bit,
                    std::uint32_t background) {
  colour_to_mono_body<From, false>(src, sx, count, out, out_bit, background);
}

#if VENEER_WIDE_VECTORS
VENEER_WIDE_TARGET void wide_thirty_two_to_mono(const std::uint8_t* src, std::ptrdiff_t src_step, int sx, int count,
                                                std::uint8_t* out, std::ptrdiff_t out_step, int out_bit, int rows,
                                                const ConversionColors& colors) {
  if (count <= 0) return;
  for_each_row(out, out_step, src, src_step, rows, [&](std::uint8_t* o, const std::uint8_t* s) {
    colour_to_mono_body<PixelFormat::Bgrx32, true>(s, sx, count, o, out_bit, colors.source_background);
  });
}
#endif

// Between the colour formats the colour bytes are kept: 24 to 32 makes a 0 top byte, 32 to
// 24 drops it.
template <PixelFormat From, PixelFormat To>
void colour_to_colour(const std::uint8_t* src, int sx, int count, std::uint8_t* out) {
  const std::uint8_t* p = src + static_cast<std::size_t>(sx) * pixel_bytes(From);
  for (int i = 0; i < count; ++i, p += pixel_bytes(From), out += pixel_bytes(To)) {
    out[0] = p[0];
    out[1] = p[1];
    out[2] = p[2];
    if constexpr (To == PixelFormat::Bgrx32) out[3] = 0;
  }
}

template <PixelFormat From, PixelFormat To>
[[gnu::always_inline]] inline void convert_span(const std::uint8_t* src, int sx, int count, std::uint8_t* out,
                                                int out_bit, const ConversionColors& colors) {
  if (count <= 0) return;
  if constexpr (From == To && From == PixelFormat::Mono) {
    copy_bits(out, out_bit, src, sx, count);
  } else if constexpr (From == To) {
    std::memmove(out, src + static_cast<std::size_t>(sx) * pixel_bytes(From),
                 static_cast<std::size_t>(count) * pixel_bytes(From));
  } else if constexpr (From == PixelFormat::Mono) {
    mono_to_colour<To>(src, sx, count, out, colors);
  } else if constexpr (To == PixelFormat::Mono) {
    // A 24-bit pixel has no top byte to compare.
    const std::uint32_t background =
        From == PixelFormat::Bgrx32 ? colors.source_background : colors.source_background & 0xffffff;
    colour_to_mono<From>(src, sx, count, out, out_bit, background);
  } else {
    colour_to_colour<From, To>(src, sx, count, out);
  }
}

template <PixelFormat From, PixelFormat To>
void convert_rows(const std::uint8_t* src, std::ptrdiff_t src_step, int sx, int count, std::uint8_t* out,
                  std::ptrdiff_t out_step, int out_bit, int rows, const ConversionColors& colors) {
  for_each_row(out, out_step, src, src_step, rows, [&](std::uint8_t* o, const std::uint8_t* s) {
    convert_span<From, To>(s, sx, count, o, out_bit, colors);
  });
}

template <PixelFormat From>
SpanConversion conversion_from(PixelFormat to) {
  return with_format(to, [](auto t) -> SpanConversion { return &convert_rows<From, decltype(t)::value>; });
}

}  // namespace

SpanConversion span_conversion(PixelFormat from, PixelFormat to) {
#if VENEER_WIDE_VECTORS
  if (from == PixelFormat::Bgrx32 && to == PixelFormat::Mono && wide_vectors()) return &wide_thirty_two_to_mono;
#endif
  return with_format(from, [to](auto f) { return conversion_from<decltype(f)::value>(to); });
}

}  // namespace veneer::headless::gdi::raster
