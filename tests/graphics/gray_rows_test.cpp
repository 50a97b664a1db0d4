// The grayscale row functions, each implementation the processor runs, against the formula
// computed with doubles: every colour, both depths, every row length around the vector widths.
#include "graphics/gray_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace veneer::graphics {
namespace {

std::uint8_t reference(unsigned b, unsigned g, unsigned r) {
  return static_cast<std::uint8_t>(static_cast<int>(b * 0.114) + static_cast<int>(g * 0.587) +
                                   static_cast<int>(r * 0.299));
}

std::vector<const GrayRows*> implementations() {
  std::vector<const GrayRows*> all{&portable_gray_rows()};
  if (const GrayRows* r = sse2_gray_rows()) all.push_back(r);
  if (const GrayRows* r = avx2_gray_rows()) all.push_back(r);
  return all;
}

TEST(GrayRows, EveryColourInBothDepths) {
  constexpr std::size_t kColours = std::size_t{1} << 24;
  for (const GrayRows* rows : implementations()) {
    SCOPED_TRACE(rows->name);
    std::vector<std::uint8_t> row24(kColours * 3), row32(kColours * 4);
    for (std::size_t c = 0; c < kColours; ++c) {
      for (int k = 0; k < 3; ++k) row24[3 * c + k] = row32[4 * c + k] = static_cast<std::uint8_t>(c >> (8 * k));
      row32[4 * c + 3] = static_cast<std::uint8_t>(c * 131);  // not a colour: kept
    }
    rows->row24(row24.data(), kColours);
    rows->row32(row32.data(), kColours);
    for (std::size_t c = 0; c < kColours; ++c) {
      const std::uint8_t want = reference(c & 0xFF, (c >> 8) & 0xFF, c >> 16);
      const std::uint8_t* p24 = &row24[3 * c];
      const std::uint8_t* p32 = &row32[4 * c];
      if (p24[0] != want || p24[1] != want || p24[2] != want || p32[0] != want || p32[1] != want || p32[2] != want ||
          p32[3] != static_cast<std::uint8_t>(c * 131))
        FAIL() << "colour " << std::hex << c;
    }
  }
}

TEST(GrayRows, EveryLengthConvertsItsPixelsAndNothingBeyond) {
  std::mt19937 rng(7);
  for (const GrayRows* rows : implementations()) {
    SCOPED_TRACE(rows->name);
    for (int bytes_per_pixel : {3, 4}) {
      for (std::size_t length = 0; length <= 80; ++length) {
        const std::size_t used = length * bytes_per_pixel;
        std::vector<std::uint8_t> row(used + 64), original;
        for (auto& b : row) b = static_cast<std::uint8_t>(rng());
        original = row;
        (bytes_per_pixel == 3 ? rows->row24 : rows->row32)(row.data(), length);
        for (std::size_t i = 0; i < length; ++i) {
          const std::uint8_t* o = &original[i * bytes_per_pixel];
          const std::uint8_t want = reference(o[0], o[1], o[2]);
          ASSERT_EQ(row[i * bytes_per_pixel], want) << length << " pixels, pixel " << i;
          ASSERT_EQ(row[i * bytes_per_pixel + 1], want);
          ASSERT_EQ(row[i * bytes_per_pixel + 2], want);
          if (bytes_per_pixel == 4) {
            ASSERT_EQ(row[i * 4 + 3], o[3]);
          }
        }
        for (std::size_t i = used; i < row.size(); ++i)
          ASSERT_EQ(row[i], original[i]) << "byte " << i << " past the row";
      }
    }
  }
}

TEST(GrayRows, TheChosenRowsAreTheFastestThisProcessorRuns) {
  const GrayRows* best = avx2_gray_rows() ? avx2_gray_rows() : sse2_gray_rows();
  if (!best) best = &portable_gray_rows();
  EXPECT_EQ(&gray_rows(), best);
}

}  // namespace
}  // namespace veneer::graphics
