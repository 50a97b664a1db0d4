// Conformance of blits over rows long enough for the raster loops' vector blocks: every
// operation over several rows of lengths that end inside a block and across them, from a
// colour source and from a monochrome one. On the headless platform the checks run once with
// the loops held to 16-byte vectors and once with 32-byte ones where the processor has them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/gdi_conformance.h"
#include "tests/support/leak_guard.h"

#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace {

using namespace veneer::test::gdi;
using veneer::test::LeakGuard;

// Runs the check for each vector width the platform has; the name says which.
template <class Check>
void for_each_vector_width(Check&& check) {
#ifndef _WIN32
  struct GiveBack {
    ~GiveBack() { veneer::headless::testing::allow_wide_vectors(true); }
  } give_back;
  veneer::headless::testing::allow_wide_vectors(false);
  check(std::string("16-byte vectors"));
  if (veneer::headless::testing::allow_wide_vectors(true)) check(std::string("32-byte vectors"));
#else
  check(std::string("Win32"));
#endif
}

// A fixed scramble of the position, so that neighbouring pixels and rows differ in every byte.
std::uint32_t scramble(std::uint32_t x, std::uint32_t seed) {
  std::uint32_t v = (x + 1) * 0x9e3779b1u ^ seed;
  v ^= v >> 15;
  v *= 0x85ebca6bu;
  return v ^ (v >> 13);
}

// Lengths in pixels: within one 16-byte block, just past it, over whole 32- and 64-byte blocks
// and past them.
constexpr int kLengths[] = {3, 5, 13, 24, 37, 70};
constexpr int kWidth = 80, kRows = 3;

TEST(GdiLongRows, EveryRopBetweenThirtyTwoBitBitmaps) {
  LeakGuard guard;
  {
    Canvas src(kWidth, kRows), dst(kWidth, kRows);
    const std::uint32_t pattern = 0x00f00f66;
    HBRUSH brush = CreateSolidBrush(RGB(0xf0, 0x0f, 0x66));
    HGDIOBJ old = SelectObject(dst.dc, brush);
    auto before = [](int x, int y) { return scramble(static_cast<std::uint32_t>(y * kWidth + x), 0x5bd1e995u); };
    for (int y = 0; y < kRows; ++y)
      for (int x = 0; x < kWidth; ++x) src.at(x, y) = scramble(static_cast<std::uint32_t>(y * kWidth + x), 7);
    for_each_vector_width([&](const std::string& width) {
      for (unsigned index = 0; index < 256; ++index)
        for (int length : kLengths) {
          for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kWidth; ++x) dst.at(x, y) = before(x, y);
          // From column 4 of the source to column 1 of the destination: the rows start at
          // different places in their blocks.
          ASSERT_TRUE(BitBlt(dst.dc, 1, 0, length, kRows, src.dc, 4, 0, rop_code(index)));
          for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kWidth; ++x) {
              const bool drawn = x >= 1 && x < 1 + length;
              const std::uint32_t expected =
                  drawn ? rop3(index, pattern, src.at(x + 3, y), before(x, y)) : before(x, y);
              ASSERT_EQ(dst.at(x, y), expected)
                  << width << ", rop " << index << ", length " << length << ", column " << x << ", row " << y;
            }
        }
    });
    SelectObject(dst.dc, old);
    DeleteObject(brush);
  }
  EXPECT_NO_LEAKS(guard);
}

// A mask read from a whole byte or from inside one: each bit stands for the destination's
// background colour (1) or text colour (0).
TEST(GdiLongRows, EveryRopFromMonochromeIntoThirtyTwoBits) {
  LeakGuard guard;
  {
    constexpr int kMonoWidth = 96;
    MonoCanvas src(kMonoWidth, kRows);
    Canvas dst(kWidth, kRows);
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(src.row_bytes() * kRows));
    for (std::size_t i = 0; i < bits.size(); ++i)
      bits[i] = static_cast<std::uint8_t>(scramble(static_cast<std::uint32_t>(i), 3));
    src.set(bits);
    auto source_bit = [&](int x, int y) {
      return (bits[static_cast<std::size_t>(y * src.row_bytes() + x / 8)] >> (7 - x % 8)) & 1;
    };
    SetBkColor(dst.dc, RGB(0x12, 0x34, 0x56));
    SetTextColor(dst.dc, RGB(0xa9, 0xcb, 0xed));
    const std::uint32_t one = 0x00123456, zero = 0x00a9cbed, pattern = 0x00f00f66;
    HBRUSH brush = CreateSolidBrush(RGB(0xf0, 0x0f, 0x66));
    HGDIOBJ old = SelectObject(dst.dc, brush);
    auto before = [](int x, int y) { return scramble(static_cast<std::uint32_t>(y * kWidth + x), 0x27d4eb2fu); };
    for_each_vector_width([&](const std::string& width) {
      for (unsigned index = 0; index < 256; ++index)
        for (int length : kLengths)
          for (int from : {8, 3}) {
            for (int y = 0; y < kRows; ++y)
              for (int x = 0; x < kWidth; ++x) dst.at(x, y) = before(x, y);
            ASSERT_TRUE(BitBlt(dst.dc, 2, 0, length, kRows, src.dc, from, 0, rop_code(index)));
            for (int y = 0; y < kRows; ++y)
              for (int x = 0; x < kWidth; ++x) {
                const bool drawn = x >= 2 && x < 2 + length;
                const std::uint32_t s = source_bit(x - 2 + from, y) ? one : zero;
                const std::uint32_t expected = drawn ? rop3(index, pattern, s, before(x, y)) : before(x, y);
                ASSERT_EQ(dst.at(x, y), expected) << width << ", rop " << index << ", length " << length << ", from "
                                                  << from << ", column " << x << ", row " << y;
              }
          }
    });
    SelectObject(dst.dc, old);
    DeleteObject(brush);
  }
  EXPECT_NO_LEAKS(guard);
}

// Colour into monochrome over several rows, the target's rows starting on a byte or inside one:
// a bit is 1 exactly where its pixel equals the source's background colour in all 32 bits, and
// the bits around the block stay.
TEST(GdiLongRows, ThirtyTwoBitsIntoMonochrome) {
  LeakGuard guard;
  {
    Canvas src(kWidth, kRows);
    MonoCanvas dst(kWidth + 16, kRows);
    const std::uint32_t key = 0x00ff00ff;
    for (int y = 0; y < kRows; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const std::uint32_t v = scramble(static_cast<std::uint32_t>(y * kWidth + x), 11);
        // About half the pixels are the key; some differ from it in the top byte alone.
        src.at(x, y) = (v & 3) == 0 ? key : (v & 3) == 1 ? key | 0x01000000u : v;
      }
    SetBkColor(src.dc, RGB(0xff, 0x00, 0xff));
    std::vector<std::uint8_t> old(static_cast<std::size_t>(dst.row_bytes() * kRows));
    for (std::size_t i = 0; i < old.size(); ++i)
      old[i] = static_cast<std::uint8_t>(scramble(static_cast<std::uint32_t>(i), 5));
    auto bit_of = [&](const std::vector<std::uint8_t>& b, int x, int y) {
      return (b[static_cast<std::size_t>(y * dst.row_bytes() + x / 8)] >> (7 - x % 8)) & 1;
    };
    for_each_vector_width([&](const std::string& width) {
      for (int length : kLengths)
        for (int at : {8, 5}) {
          dst.set(old);
          ASSERT_TRUE(BitBlt(dst.dc, at, 0, length, kRows, src.dc, 2, 0, SRCCOPY));
          const std::vector<std::uint8_t> got = dst.bytes();
          for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kWidth + 16; ++x) {
              const bool drawn = x >= at && x < at + length;
              const int expected = drawn ? (src.at(x - at + 2, y) == key ? 1 : 0) : bit_of(old, x, y);
              ASSERT_EQ(bit_of(got, x, y), expected)
                  << width << ", length " << length << ", at " << at << ", column " << x << ", row " << y;
            }
        }
    });
  }
  EXPECT_NO_LEAKS(guard);
}

// Blits of whole bitmaps as wide as the blit, whose rows follow each other in memory: every
// operation (those with a pattern included) from colour and from monochrome sources, and colour
// into monochrome, over several rows, top-down and bottom-up.
TEST(GdiLongRows, WholeRowsOfBitmapsAsWideAsTheBlit) {
  LeakGuard guard;
  const std::uint32_t pattern = 0x00f00f66, one = 0x00123456, zero = 0x00a9cbed, key = 0x00ff00ff;
  for (int width : {32, 64})
    for (bool bottom_up : {false, true}) {
      Canvas src(width, kRows, 32, bottom_up), dst(width, kRows, 32, bottom_up);
      MonoCanvas mono(width, kRows), mono_dst(width, kRows);
      std::vector<std::uint8_t> bits(static_cast<std::size_t>(mono.row_bytes() * kRows));
      for (std::size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<std::uint8_t>(scramble(static_cast<std::uint32_t>(i), 13));
      mono.set(bits);
      auto bit_of = [&](const std::vector<std::uint8_t>& b, int x, int y) {
        return (b[static_cast<std::size_t>(y * mono.row_bytes() + x / 8)] >> (7 - x % 8)) & 1;
      };
      for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < width; ++x) {
          const std::uint32_t v = scramble(static_cast<std::uint32_t>(y * width + x), 17);
          src.at(x, y) = (v & 3) == 0 ? key : v;
        }
      SetBkColor(src.dc, RGB(0xff, 0x00, 0xff));
      SetBkColor(dst.dc, RGB(0x12, 0x34, 0x56));
      SetTextColor(dst.dc, RGB(0xa9, 0xcb, 0xed));
      HBRUSH brush = CreateSolidBrush(RGB(0xf0, 0x0f, 0x66));
      HGDIOBJ old = SelectObject(dst.dc, brush);
      auto before = [width](int x, int y) { return scramble(static_cast<std::uint32_t>(y * width + x), 0x1b873593u); };
      for_each_vector_width([&](const std::string& vectors) {
        const std::string where = vectors + ", width " + std::to_string(width) + (bottom_up ? ", bottom-up" : "");
        for (unsigned index = 0; index < 256; ++index)
          for (bool from_mono : {false, true}) {
            for (int y = 0; y < kRows; ++y)
              for (int x = 0; x < width; ++x) dst.at(x, y) = before(x, y);
            ASSERT_TRUE(BitBlt(dst.dc, 0, 0, width, kRows, from_mono ? mono.dc : src.dc, 0, 0, rop_code(index)));
            for (int y = 0; y < kRows; ++y)
              for (int x = 0; x < width; ++x) {
                const std::uint32_t s = from_mono ? (bit_of(bits, x, y) ? one : zero) : src.at(x, y);
                ASSERT_EQ(dst.at(x, y), rop3(index, pattern, s, before(x, y)))
                    << where << ", rop " << index << (from_mono ? ", monochrome" : ", colour") << " source, column "
                    << x << ", row " << y;
              }
          }
        ASSERT_TRUE(BitBlt(mono_dst.dc, 0, 0, width, kRows, src.dc, 0, 0, SRCCOPY));
        const std::vector<std::uint8_t> got = mono_dst.bytes();
        for (int y = 0; y < kRows; ++y)
          for (int x = 0; x < width; ++x)
            ASSERT_EQ(bit_of(got, x, y), src.at(x, y) == key ? 1 : 0)
                << where << ", into monochrome, column " << x << ", row " << y;
      });
      SelectObject(dst.dc, old);
      DeleteObject(brush);
    }
  EXPECT_NO_LEAKS(guard);
}

}  // namespace
