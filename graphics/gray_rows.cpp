#include "graphics/gray_rows.h"

#if defined(__x86_64__) || defined(__i386__)
#define VENEER_GRAY_X86 1
#include <immintrin.h>
#endif

namespace veneer::graphics {
namespace {

// The three terms as 16-bit fixed-point multipliers: (v * k) >> 16 equals the truncated
// double product for every byte v (checked for all of them by the tests), so the SIMD rows,
// which multiply 16-bit lanes and keep the high halves, agree with the formula exactly.
constexpr unsigned kBlue = 7472;    // 0.114
constexpr unsigned kGreen = 38469;  // 0.587
constexpr unsigned kRed = 19595;    // 0.299

inline std::uint8_t gray_of(unsigned b, unsigned g, unsigned r) {
  return static_cast<std::uint8_t>(((b * kBlue) >> 16) + ((g * kGreen) >> 16) + ((r * kRed) >> 16));
}

void portable_row24(std::uint8_t* p, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i, p += 3) p[0] = p[1] = p[2] = gray_of(p[0], p[1], p[2]);
}

void portable_row32(std::uint8_t* p, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i, p += 4) p[0] = p[1] = p[2] = gray_of(p[0], p[1], p[2]);
}

#ifdef VENEER_GRAY_X86

// ---- SSE2: 32-bit pixels in 32-bit lanes, channels split into 16-bit lanes for the products.

// Gray of eight pixels held as 32-bit lanes of a and c (the fourth byte ignored), as eight
// 16-bit lanes: a's four pixels, then c's.
__attribute__((target("sse2"))) inline __m128i gray8_sse2(__m128i a, __m128i c) {
  const __m128i byte = _mm_set1_epi32(0xFF);
  const __m128i b = _mm_packs_epi32(_mm_and_si128(a, byte), _mm_and_si128(c, byte));
  const __m128i g =
      _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(a, 8), byte), _mm_and_si128(_mm_srli_epi32(c, 8), byte));
  const __m128i r =
      _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(a, 16), byte), _mm_and_si128(_mm_srli_epi32(c, 16), byte));
  return _mm_add_epi16(_mm_add_epi16(_mm_mulhi_epu16(b, _mm_set1_epi16(static_cast<short>(kBlue))),
                                     _mm_mulhi_epu16(g, _mm_set1_epi16(static_cast<short>(kGreen)))),
                       _mm_mulhi_epu16(r, _mm_set1_epi16(static_cast<short>(kRed))));
}

// A gray value in the three low bytes of each 32-bit lane.
__attribute__((target("sse2"))) inline __m128i spread_sse2(__m128i y32) {
  return _mm_or_si128(y32, _mm_or_si128(_mm_slli_epi32(y32, 8), _mm_slli_epi32(y32, 16)));
}

__attribute__((target("sse2"))) void sse2_row32(std::uint8_t* p, std::size_t pixels) {
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i zero = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 8 <= pixels; i += 8, p += 32) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i y = gray8_sse2(a, c);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                     _mm_or_si128(_mm_and_si128(a, alpha), spread_sse2(_mm_unpacklo_epi16(y, zero))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16),
                     _mm_or_si128(_mm_and_si128(c, alpha), spread_sse2(_mm_unpackhi_epi16(y, zero))));
  }
  portable_row32(p, pixels - i);
}

// Four 24-bit pixels from the first 12 of 16 loaded bytes, one per 32-bit lane.
__attribute__((target("sse2"))) inline __m128i unpack4x24_sse2(__m128i v) {
  const __m128i front = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
  const __m128i back = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
  return _mm_unpacklo_epi64(front, back);
}

// The inverse: the three low bytes of each 32-bit lane packed into bytes 0-11, and bytes
// 12-15 taken from `keep` (the next pixel's bytes, not ours to change).
__attribute__((target("sse2"))) inline __m128i pack4x24_sse2(__m128i lanes, __m128i keep) {
  const __m128i l0 = _mm_and_si128(lanes, _mm_setr_epi32(-1, 0, 0, 0));
  const __m128i l1 = _mm_and_si128(lanes, _mm_setr_epi32(0, -1, 0, 0));
  const __m128i l2 = _mm_and_si128(lanes, _mm_setr_epi32(0, 0, -1, 0));
  const __m128i l3 = _mm_and_si128(lanes, _mm_setr_epi32(0, 0, 0, -1));
  const __m128i packed =
      _mm_or_si128(_mm_or_si128(l0, _mm_srli_si128(l1, 1)), _mm_or_si128(_mm_srli_si128(l2, 2), _mm_srli_si128(l3, 3)));
  return _mm_or_si128(packed, _mm_and_si128(keep, _mm_setr_epi32(0, 0, 0, -1)));
}

__attribute__((target("sse2"))) void sse2_row24(std::uint8_t* p, std::size_t pixels) {
  const __m128i zero = _mm_setzero_si128();
  std::size_t i = 0;
  // Eight pixels (24 bytes) a step, read as two 16-byte loads at 0 and 12: the second reaches
  // 4 bytes past the eighth pixel, so the loop stops while ten pixels remain.
  for (; i + 10 <= pixels; i += 8, p += 24) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12));
    const __m128i y = gray8_sse2(unpack4x24_sse2(v0), unpack4x24_sse2(v1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), pack4x24_sse2(spread_sse2(_mm_unpacklo_epi16(y, zero)), v0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 12), pack4x24_sse2(spread_sse2(_mm_unpackhi_epi16(y, zero)), v1));
  }
  portable_row24(p, pixels - i);
}

// ---- AVX2: the same for 32-bit rows, and byte shuffles for 24-bit rows.

__attribute__((target("avx2"))) inline __m256i spread_avx2(__m256i y32) {
  return _mm256_or_si256(y32, _mm256_or_si256(_mm256_slli_epi32(y32, 8), _mm256_slli_epi32(y32, 16)));
}

// The sum of the three truncated terms, in 16-bit lanes, from channels in 16-bit lanes.
__attribute__((target("avx2"))) inline __m256i terms_avx2(__m256i b, __m256i g, __m256i r) {
  return _mm256_add_epi16(_mm256_add_epi16(_mm256_mulhi_epu16(b, _mm256_set1_epi16(static_cast<short>(kBlue))),
                                           _mm256_mulhi_epu16(g, _mm256_set1_epi16(static_cast<short>(kGreen)))),
                          _mm256_mulhi_epu16(r, _mm256_set1_epi16(static_cast<short>(kRed))));
}

__attribute__((target("avx2"))) void avx2_row32(std::uint8_t* p, std::size_t pixels) {
  const __m256i byte = _mm256_set1_epi32(0xFF);
  const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i zero = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; i + 16 <= pixels; i += 16, p += 64) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    // Packing and unpacking stay within 128-bit lanes, so each pixel comes back to its place.
    const __m256i b = _mm256_packs_epi32(_mm256_and_si256(a, byte), _mm256_and_si256(c, byte));
    const __m256i g = _mm256_packs_epi32(_mm256_and_si256(_mm256_srli_epi32(a, 8), byte),
                                         _mm256_and_si256(_mm256_srli_epi32(c, 8), byte));
    const __m256i r = _mm256_packs_epi32(_mm256_and_si256(_mm256_srli_epi32(a, 16), byte),
                                         _mm256_and_si256(_mm256_srli_epi32(c, 16), byte));
    const __m256i y = terms_avx2(b, g, r);
    const __m256i ya = _mm256_unpacklo_epi16(y, zero);
    const __m256i yc = _mm256_unpackhi_epi16(y, zero);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_or_si256(_mm256_and_si256(a, alpha), spread_avx2(ya)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32),
                        _mm256_or_si256(_mm256_and_si256(c, alpha), spread_avx2(yc)));
  }
  portable_row32(p, pixels - i);
}

// Byte positions for gathering one channel of sixteen 24-bit pixels (48 bytes in three
// registers v0, v1, v2) and for spreading sixteen gray bytes back over 48; -1 gives a zero.
#define VENEER_LANE(...) _mm256_setr_epi8(__VA_ARGS__, __VA_ARGS__)
struct Shuffles24 {
  __m256i take[3][3];  // [channel][register]
  __m256i spread[3];   // [output register]
};

__attribute__((target("avx2"))) Shuffles24 make_shuffles24() {
  Shuffles24 s;
  // Blue: v0 bytes 0,3,...,15 -> 0-5; v1 bytes 2,...,14 -> 6-10; v2 bytes 1,...,13 -> 11-15.
  s.take[0][0] = VENEER_LANE(0, 3, 6, 9, 12, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  s.take[0][1] = VENEER_LANE(-1, -1, -1, -1, -1, -1, 2, 5, 8, 11, 14, -1, -1, -1, -1, -1);
  s.take[0][2] = VENEER_LANE(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 1, 4, 7, 10, 13);
  // Green: v0 bytes 1,...,13 -> 0-4; v1 bytes 0,...,15 -> 5-10; v2 bytes 2,...,14 -> 11-15.
  s.take[1][0] = VENEER_LANE(1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  s.take[1][1] = VENEER_LANE(-1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15, -1, -1, -1, -1, -1);
  s.take[1][2] = VENEER_LANE(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 2, 5, 8, 11, 14);
  // Red: v0 bytes 2,...,14 -> 0-4; v1 bytes 1,...,13 -> 5-9; v2 bytes 0,...,15 -> 10-15.
  s.take[2][0] = VENEER_LANE(2, 5, 8, 11, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  s.take[2][1] = VENEER_LANE(-1, -1, -1, -1, -1, 1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1);
  s.take[2][2] = VENEER_LANE(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15);
  s.spread[0] = VENEER_LANE(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
  s.spread[1] = VENEER_LANE(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
  s.spread[2] = VENEER_LANE(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
  return s;
}
#undef VENEER_LANE

__attribute__((target("avx2"))) void avx2_row24(std::uint8_t* p, std::size_t pixels) {
  static const Shuffles24 s = make_shuffles24();
  const __m256i zero = _mm256_setzero_si256();
  std::size_t i = 0;
  // 32 pixels a step: the low 128-bit lane holds pixels 0-15 (bytes 0-47), the high lane
  // pixels 16-31 (bytes 48-95), since byte shuffles do not cross lanes.
  for (; i + 32 <= pixels; i += 32, p += 96) {
    __m256i v[3];
    for (int k = 0; k < 3; ++k)
      v[k] = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(p + 48 + 16 * k),
                                 reinterpret_cast<const __m128i*>(p + 16 * k));
    __m256i channel[3];
    for (int c = 0; c < 3; ++c)
      channel[c] = _mm256_or_si256(
          _mm256_or_si256(_mm256_shuffle_epi8(v[0], s.take[c][0]), _mm256_shuffle_epi8(v[1], s.take[c][1])),
          _mm256_shuffle_epi8(v[2], s.take[c][2]));
    const __m256i low = terms_avx2(_mm256_unpacklo_epi8(channel[0], zero), _mm256_unpacklo_epi8(channel[1], zero),
                                   _mm256_unpacklo_epi8(channel[2], zero));
    const __m256i high = terms_avx2(_mm256_unpackhi_epi8(channel[0], zero), _mm256_unpackhi_epi8(channel[1], zero),
                                    _mm256_unpackhi_epi8(channel[2], zero));
    const __m256i y = _mm256_packus_epi16(low, high);
    for (int k = 0; k < 3; ++k)
      _mm256_storeu2_m128i(reinterpret_cast<__m128i*>(p + 48 + 16 * k), reinterpret_cast<__m128i*>(p + 16 * k),
                           _mm256_shuffle_epi8(y, s.spread[k]));
  }
  portable_row24(p, pixels - i);
}

#endif  // VENEER_GRAY_X86

}  // namespace

const GrayRows& portable_gray_rows() {
  static const GrayRows rows{portable_row24, portable_row32, "portable"};
  return rows;
}

const GrayRows* sse2_gray_rows() {
#ifdef VENEER_GRAY_X86
  static const GrayRows rows{sse2_row24, sse2_row32, "SSE2"};
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse2")) return &rows;
#endif
  return nullptr;
}

const GrayRows* avx2_gray_rows() {
#ifdef VENEER_GRAY_X86
  static const GrayRows rows{avx2_row24, avx2_row32, "AVX2"};
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return &rows;
#endif
  return nullptr;
}

const GrayRows& gray_rows() {
  static const GrayRows* chosen = [] {
    if (const GrayRows* r = avx2_gray_rows()) return r;
    if (const GrayRows* r = sse2_gray_rows()) return r;
    return &portable_gray_rows();
  }();
  return *chosen;
}

}  // namespace veneer::graphics
