// Conformance of BitBlt and PatBlt: the ternary raster operations, format conversions,
// clipping and overlapping copies, checked the same way against real GDI and the headless GDI.
#include <gtest/gtest.h>

#include "tests/support/gdi_conformance.h"
#include "tests/support/leak_guard.h"

namespace {

using namespace veneer::test::gdi;
using veneer::test::LeakGuard;

TEST(GdiBlit, EveryRopOnThirtyTwoBitPixelsIncludingTheTopByte) {
  LeakGuard guard;
  {
    Canvas src(4, 1), dst(4, 1);
    // Pattern F0, source CC, destination AA in every colour byte: the result's colour bytes
    // are the operation's index. The source and destination also carry top bytes, which the
    // operation combines with the brush pixel's top byte, 0.
    HBRUSH brush = CreateSolidBrush(RGB(0xf0, 0xf0, 0xf0));
    HGDIOBJ old = SelectObject(dst.dc, brush);
    for (unsigned index = 0; index < 256; ++index) {
      src.fill(0xcccccccc);
      dst.fill(0xaaaaaaaa);
      ASSERT_TRUE(BitBlt(dst.dc, 1, 0, 2, 1, src.dc, 0, 0, rop_code(index)));
      std::uint32_t expected = rop3(index, 0x00f0f0f0, 0xcccccccc, 0xaaaaaaaa);
      EXPECT_EQ(dst.at(1, 0), expected) << "rop " << index;
      EXPECT_EQ(dst.at(2, 0), expected) << "rop " << index;
      EXPECT_EQ(dst.at(0, 0), 0xaaaaaaaau) << "rop " << index;
      EXPECT_EQ(dst.at(3, 0), 0xaaaaaaaau) << "rop " << index;
    }
    SelectObject(dst.dc, old);
    DeleteObject(brush);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiBlit, EveryRopOnMonochromeAtUnalignedColumns) {
  LeakGuard guard;
  {
    MonoCanvas src(24, 1), dst(24, 1);
    for (int white = 0; white < 2; ++white) {
      HGDIOBJ old = SelectObject(dst.dc, GetStockObject(white ? WHITE_BRUSH : BLACK_BRUSH));
      std::uint32_t p = white ? 0xffffffu : 0u;
      // Ten pixels from column 3, read from column 6 or from column 3: neither edge falls on a
      // byte, and the source's bits line up with the destination's or do not.
      for (int from : {6, 3}) {
        for (unsigned index = 0; index < 256; ++index) {
          src.set({0xc9, 0x6c, 0x35, 0});
          dst.set({0xaa, 0xaa, 0xaa, 0});
          ASSERT_TRUE(BitBlt(dst.dc, 3, 0, 10, 1, src.dc, from, 0, rop_code(index)));
          auto got = dst.bytes();
          std::uint32_t s = 0xc96c35, d = 0xaaaaaa;
          const int k = from - 3;  // source column `from` lands on column 3
          std::uint32_t shifted = (s << k) & 0xffffff;
          std::uint32_t result = rop3(index, p, shifted, d);
          std::uint32_t mask = 0;
          for (int x = 3; x < 13; ++x) mask |= 1u << (23 - x);
          std::uint32_t expected = (result & mask) | (d & ~mask & 0xffffff);
          std::uint32_t actual = (static_cast<std::uint32_t>(got[0]) << 16) | (got[1] << 8) | got[2];
          EXPECT_EQ(actual, expected) << "rop " << index << " brush " << (white ? "white" : "black") << " from "
                                      << from;
        }
      }
      SelectObject(dst.dc, old);
    }
  }
  EXPECT_NO_LEAKS(guard);
}

// A monochrome source (a mask) read from a column inside a byte, over whole bytes and past
// them, under every operation with a brush: each bit stands for the destination's background
// colour (1) or text colour (0) and combines with the brush and the destination as the truth
// table says; the pixels around the block stay.
TEST(GdiBlit, EveryRopFromMonochromeIntoThirtyTwoBits) {
  LeakGuard guard;
  {
    MonoCanvas src(48, 1);
    Canvas dst(40, 1);
    const std::vector<std::uint8_t> bits = {0x5b, 0xe1, 0x3c, 0x96, 0x0f, 0xa7};
    src.set(bits);
    auto source_bit = [&](int x) { return (bits[static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1; };
    SetBkColor(dst.dc, RGB(0x12, 0x34, 0x56));
    SetTextColor(dst.dc, RGB(0xa9, 0xcb, 0xed));
    HBRUSH brush = CreateSolidBrush(RGB(0xf0, 0x0f, 0x66));
    HGDIOBJ old = SelectObject(dst.dc, brush);
    const std::uint32_t one = 0x00123456, zero = 0x00a9cbed, pattern = 0x00f00f66;
    auto before = [](int x) { return 0x00c3a55au ^ (static_cast<std::uint32_t>(x) * 0x010101u); };
    for (unsigned index = 0; index < 256; ++index) {
      for (int x = 0; x < 40; ++x) dst.at(x, 0) = before(x);
      // 29 pixels read from column 5: three up to the next source byte, three whole bytes, two
      // more.
      ASSERT_TRUE(BitBlt(dst.dc, 2, 0, 29, 1, src.dc, 5, 0, rop_code(index)));
      for (int x = 0; x < 40; ++x) {
        const bool drawn = x >= 2 && x < 31;
        const std::uint32_t expected =
            drawn ? rop3(index, pattern, source_bit(x + 3) ? one : zero, before(x)) : before(x);
        ASSERT_EQ(dst.at(x, 0), expected) << "rop " << index << " column " << x;
      }
    }
    SelectObject(dst.dc, old);
    DeleteObject(brush);
  }
  EXPECT_NO_LEAKS(guard);
}

// Long spans into monochrome, starting inside a byte or on one: a bit is 1 exactly where its
// pixel equals the source's background colour, and the bits around the span stay.
TEST(GdiBlit, ColourToMonochromeOverLongSpans) {
  Canvas src(64, 1);
  MonoCanvas mono(64, 1);
  const std::uint32_t key = 0x0000ff00;
  for (int x = 0; x < 64; ++x)
    src.at(x, 0) = (x % 5 == 0 || x % 11 == 3) ? key : 0x00000101u * static_cast<std::uint32_t>(x);
  SetBkColor(src.dc, RGB(0, 255, 0));
  const std::vector<std::uint8_t> old(8, 0xa5);
  auto old_bit = [&](int x) { return (old[static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1; };
  for (int start : {0, 5})
    for (int count : {7, 16, 17, 45, 59}) {
      mono.set(old);
      ASSERT_TRUE(BitBlt(mono.dc, start, 0, count, 1, src.dc, 2, 0, SRCCOPY));
      for (int x = 0; x < 64; ++x) {
        const bool drawn = x >= start && x < start + count;
        const bool expected = drawn ? src.at(x - start + 2, 0) == key : old_bit(x) != 0;
        ASSERT_EQ(mono.bit(x, 0), expected) << "start " << start << " count " << count << " column " << x;
      }
    }
}

TEST(GdiBlit, ColourToMonochromeMatchesTheSourceBackgroundOnAllBits) {
  Canvas src(4, 1);
  MonoCanvas mono(8, 1);
  src.at(0, 0) = 0xff00ff00;  // green with a top byte: not the background
  src.at(1, 0) = 0x0000ff00;  // green: the background
  src.at(2, 0) = 0x00ff00ff;
  src.at(3, 0) = 0x0000ff01;
  SetBkColor(src.dc, RGB(0, 255, 0));
  mono.set({0, 0});
  ASSERT_TRUE(BitBlt(mono.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(mono.bytes()[0], 0x40);
}

TEST(GdiBlit, MonochromeToColourTakesTheDestinationColours) {
  MonoCanvas mono(8, 1);
  Canvas dst(4, 1);
  mono.set({0xa0, 0});
  SetBkColor(mono.dc, RGB(255, 0, 0));  // the source's colours play no part
  SetTextColor(mono.dc, RGB(0, 255, 0));
  SetBkColor(dst.dc, RGB(1, 2, 3));
  SetTextColor(dst.dc, RGB(4, 5, 6));
  dst.fill(0x12345678);
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 4, 1, mono.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.at(0, 0), 0x00010203u);  // 1: background
  EXPECT_EQ(dst.at(1, 0), 0x00040506u);  // 0: text
  EXPECT_EQ(dst.at(2, 0), 0x00010203u);
  // Combined with the destination: SRCAND keeps what the colour allows.
  dst.fill(0x00aabbcc);
  SetBkColor(dst.dc, RGB(0x30, 0x20, 0x10));
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 2, 1, mono.dc, 0, 0, SRCAND));
  EXPECT_EQ(dst.at(0, 0), 0x00aabbccu & 0x00302010u);
  EXPECT_EQ(dst.at(1, 0), 0x00aabbccu & 0x00040506u);
}

TEST(GdiBlit, ConversionsBetweenTwentyFourAndThirtyTwoBits) {
  Canvas c32(2, 1), c24(2, 1, 24);
  c32.at(0, 0) = 0xff112233;
  c32.at(1, 0) = 0x00445566;
  ASSERT_TRUE(BitBlt(c24.dc, 0, 0, 2, 1, c32.dc, 0, 0, SRCCOPY));
  const std::uint8_t* p = c24.row(0);
  EXPECT_EQ(std::vector<int>(p, p + 6), (std::vector<int>{0x33, 0x22, 0x11, 0x66, 0x55, 0x44}));
  c32.fill(0xeeeeeeee);
  ASSERT_TRUE(BitBlt(c32.dc, 0, 0, 2, 1, c24.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(c32.at(0, 0), 0x00112233u);  // the top byte of a converted pixel is 0
  c32.fill(0xeeeeeeee);
  ASSERT_TRUE(BitBlt(c32.dc, 0, 0, 2, 1, c24.dc, 0, 0, SRCPAINT));
  EXPECT_EQ(c32.at(0, 0), 0xeeffeeffu);
  EXPECT_EQ(c32.at(1, 0), 0xeeeeffeeu);
}

TEST(GdiBlit, ClipsAgainstBothSurfaces) {
  Canvas src(8, 1), dst(16, 1);
  for (int i = 0; i < 8; ++i) src.at(i, 0) = static_cast<std::uint32_t>(i);
  struct Case {
    int x, width, src_x;
    std::vector<int> expected;  // per destination column; -1 unchanged
  } cases[] = {
      {2, 3, 6, {-1, -1, 6, 7, -1}},              // source runs out on the right
      {-2, 5, 0, {2, 3, 4, -1}},                  // destination starts off the left edge
      {2, 5, -2, {-1, -1, -1, -1, 0, 1, 2, -1}},  // source starts before its left edge
      {14, 5, 0, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1}},
      {5, -3, 4, {-1, -1, -1, 2, 3, 4, -1}},  // negative width: columns x-2..x from src_x-2..src_x
  };
  for (const Case& c : cases) {
    dst.fill(0xabcdef);
    ASSERT_TRUE(BitBlt(dst.dc, c.x, 0, c.width, 1, src.dc, c.src_x, 0, SRCCOPY));
    for (int x = 0; x < 16; ++x) {
      int e = x < static_cast<int>(c.expected.size()) ? c.expected[static_cast<std::size_t>(x)] : -1;
      EXPECT_EQ(dst.at(x, 0), e < 0 ? 0xabcdefu : static_cast<std::uint32_t>(e)) << "case x=" << c.x << " column " << x;
    }
  }
}

// Plain copies between row orders and depths, whole surfaces and blocks clipped on every side:
// each pixel comes from its source pixel, the pixels outside the block and the rows' padding
// stay as they were.
TEST(GdiBlit, PlainCopiesBetweenRowOrdersKeepEveryPixelInPlace) {
  for (int bpp : {32, 24}) {
    for (bool src_up : {false, true}) {
      for (bool dst_up : {false, true}) {
        const int w = 5, h = 7;
        Canvas src(w, h, bpp, src_up), dst(w, h, bpp, dst_up);
        auto value = [](int x, int y, int salt) { return static_cast<std::uint8_t>(x * 31 + y * 7 + salt); };
        for (int y = 0; y < h; ++y)
          for (std::size_t i = 0; i < src.stride(); ++i) src.row(y)[i] = value(static_cast<int>(i), y, 1);
        struct Case {
          int x, y, width, height, src_x, src_y;
        } cases[] = {{0, 0, w, h, 0, 0},  {0, -2, w, h, 0, 0}, {0, 3, w, h, 0, 0},  {0, 0, w, h, 0, 2},
                     {0, 0, w, h, 0, -3}, {1, 1, 3, 4, 2, 0},  {-1, 2, w, h, 0, 0}, {0, 0, w, h, 1, 1}};
        for (const Case& c : cases) {
          for (int y = 0; y < h; ++y)
            for (std::size_t i = 0; i < dst.stride(); ++i) dst.row(y)[i] = value(static_cast<int>(i), y, 99);
          ASSERT_TRUE(BitBlt(dst.dc, c.x, c.y, c.width, c.height, src.dc, c.src_x, c.src_y, SRCCOPY));
          const int pixel = bpp / 8;
          for (int y = 0; y < h; ++y) {
            for (std::size_t i = 0; i < dst.stride(); ++i) {
              const int x = static_cast<int>(i) / pixel, sx = x - c.x + c.src_x, sy = y - c.y + c.src_y;
              const bool copied = static_cast<int>(i) < w * pixel && x >= c.x && x < c.x + c.width && y >= c.y &&
                                  y < c.y + c.height && sx >= 0 && sx < w && sy >= 0 && sy < h;
              const std::uint8_t e =
                  copied ? value(sx * pixel + static_cast<int>(i) % pixel, sy, 1) : value(static_cast<int>(i), y, 99);
              ASSERT_EQ(dst.row(y)[i], e) << bpp << src_up << dst_up << " case " << c.x << "," << c.y << "," << c.src_x
                                          << "," << c.src_y << " at byte " << i << " of row " << y;
            }
          }
        }
      }
    }
  }
}

TEST(GdiBlit, OverlappingCopyWithinOneBitmap) {
  Canvas c(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) c.at(x, y) = static_cast<std::uint32_t>(y * 8 + x);
  ASSERT_TRUE(BitBlt(c.dc, 1, 1, 6, 6, c.dc, 0, 0, SRCCOPY));  // down and right by one
  for (int y = 1; y < 7; ++y)
    for (int x = 1; x < 7; ++x) EXPECT_EQ(c.at(x, y), static_cast<std::uint32_t>((y - 1) * 8 + x - 1)) << x << "," << y;
  ASSERT_TRUE(BitBlt(c.dc, 0, 0, 6, 6, c.dc, 1, 1, SRCCOPY));  // and back
  EXPECT_EQ(c.at(0, 0), 0u);
  EXPECT_EQ(c.at(5, 5), static_cast<std::uint32_t>(5 * 8 + 5));
}

TEST(GdiBlit, PatternBlitsAndTheirFailures) {
  Canvas c(2, 1);
  c.fill(0x12345678);
  ASSERT_TRUE(PatBlt(c.dc, 0, 0, 2, 1, WHITENESS));
  EXPECT_EQ(c.at(0, 0), 0xffffffffu);
  ASSERT_TRUE(PatBlt(c.dc, 0, 0, 2, 1, BLACKNESS));
  EXPECT_EQ(c.at(0, 0), 0u);
  c.fill(0x12345678);
  ASSERT_TRUE(PatBlt(c.dc, 0, 0, 2, 1, DSTINVERT));
  EXPECT_EQ(c.at(0, 0), 0xedcba987u);
  HGDIOBJ old = SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  c.fill(0x12345678);
  ASSERT_TRUE(PatBlt(c.dc, 0, 0, 2, 1, PATCOPY));
  EXPECT_EQ(c.at(0, 0), 0x00ffffffu);  // a brush's pixel has a 0 top byte
  c.fill(0x12345678);
  ASSERT_TRUE(PatBlt(c.dc, 0, 0, 2, 1, PATINVERT));
  EXPECT_EQ(c.at(0, 0), 0x12cba987u);
  // A null brush turns off what needs a pattern, not what does not.
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  c.fill(0x123456);
  EXPECT_TRUE(PatBlt(c.dc, 0, 0, 1, 1, PATCOPY));
  EXPECT_TRUE(PatBlt(c.dc, 0, 0, 1, 1, PATINVERT));
  EXPECT_EQ(c.at(0, 0), 0x123456u);
  EXPECT_TRUE(PatBlt(c.dc, 0, 0, 1, 1, DSTINVERT));
  EXPECT_EQ(c.at(0, 0), 0xffedcba9u);
  c.fill(0x123456);
  SelectObject(c.dc, old);
  // An operation that needs a source fails without one.
  EXPECT_FALSE(PatBlt(c.dc, 0, 0, 1, 1, SRCCOPY));
  EXPECT_FALSE(BitBlt(c.dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
  EXPECT_EQ(c.at(0, 0), 0x123456u);
}

}  // namespace
