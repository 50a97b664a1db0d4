// Conformance of StretchBlt: which source pixels each destination pixel takes (and merges) in
// COLORONCOLOR, BLACKONWHITE and WHITEONBLACK, mirrored extents and clipping. The picks were
// measured under Wine; the rule below reproduces every case measured there (widths 1 to 20).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "tests/support/gdi_conformance.h"
#include "tests/support/leak_guard.h"

namespace {

using namespace veneer::test::gdi;
using veneer::test::LeakGuard;

// The source pixels destination pixel j (left to right) merges, n source pixels onto m.
std::set<int> merged(int n, int m, int j, bool dst_mirror, bool src_mirror) {
  int k = dst_mirror ? m - 1 - j : j;
  std::set<int> out;
  if (m >= n) {
    out.insert((k * n + (n - 1) / 2) / m);
  } else {
    int used = (m == 1 && !dst_mirror && !src_mirror) ? n - 1 : n;  // Win32 leaves one out here
    for (int i = 0; i < used; ++i)
      if ((i * m + (m - 1) / 2) / n == k) out.insert(i);
  }
  if (!src_mirror) return out;
  std::set<int> mirrored;
  for (int i : out) mirrored.insert(n - 1 - i);
  return mirrored;
}

struct Row {
  Canvas src{32, 1}, dst{32, 1};
  // Stretches source pixels 0..n-1 onto destination pixels 2..m+1, mirrored as asked.
  void stretch(int n, int m, bool dst_mirror, bool src_mirror) {
    dst.fill(0xabcdef);
    StretchBlt(dst.dc, dst_mirror ? 2 + m - 1 : 2, 0, dst_mirror ? -m : m, 1, src.dc, src_mirror ? n - 1 : 0, 0,
               src_mirror ? -n : n, 1, SRCCOPY);
  }
};

TEST(GdiStretch, ColorOnColorPicksAsWin32) {
  LeakGuard guard;
  {
    Row r;
    SetStretchBltMode(r.dst.dc, COLORONCOLOR);
    for (int i = 0; i < 32; ++i) r.src.at(i, 0) = static_cast<std::uint32_t>(i);
    // The cases Wine's notes list.
    r.stretch(2, 7, false, false);
    for (int j = 0; j < 7; ++j) EXPECT_EQ(r.dst.at(2 + j, 0), j < 4 ? 0u : 1u);
    r.stretch(7, 3, false, false);
    EXPECT_EQ(r.dst.at(2, 0), 1u);
    EXPECT_EQ(r.dst.at(3, 0), 4u);
    EXPECT_EQ(r.dst.at(4, 0), 6u);
    // Horizontally, a merged group gives its last pixel (in drawing order).
    for (int mirror = 0; mirror < 4; ++mirror)
      for (int n = 1; n <= 12; ++n)
        for (int m = 1; m <= 12; ++m) {
          bool dm = mirror & 1, sm = mirror & 2;
          r.stretch(n, m, dm, sm);
          for (int j = 0; j < m; ++j) {
            auto g = merged(n, m, j, dm, sm);
            int expected = sm ? *g.begin() : *g.rbegin();
            ASSERT_EQ(r.dst.at(2 + j, 0), static_cast<std::uint32_t>(expected))
                << n << "->" << m << " mirror " << mirror << " pixel " << j;
          }
          ASSERT_EQ(r.dst.at(1, 0), 0xabcdefu);
          ASSERT_EQ(r.dst.at(2 + m, 0), 0xabcdefu);
        }
  }
  EXPECT_NO_LEAKS(guard);
}

// Long enlargements in both colour depths, mirrored or not, starting off the left edge: each
// pixel still takes the source pixel the rule gives (long runs of one source pixel included).
TEST(GdiStretch, LongEnlargementsPickAsTheRuleSays) {
  for (int bpp : {24, 32}) {
    Canvas src(16, 1, bpp), dst(64, 1, bpp);
    SetStretchBltMode(dst.dc, COLORONCOLOR);
    const int size = bpp / 8;
    for (int i = 0; i < 16 * size; ++i) src.row(0)[i] = static_cast<std::uint8_t>(i + 1);
    for (int mirror = 0; mirror < 4; ++mirror)
      for (int n = 1; n <= 9; ++n)
        for (int m : {n, n + 1, 2 * n + 1, 37, 70}) {
          if (m < n) continue;
          const bool dm = mirror & 1, sm = mirror & 2;
          std::memset(dst.row(0), 0xee, dst.stride());
          const int x = -5;  // the first five destination pixels fall off the surface
          ASSERT_TRUE(StretchBlt(dst.dc, dm ? x + m - 1 : x, 0, dm ? -m : m, 1, src.dc, sm ? n - 1 : 0, 0, sm ? -n : n,
                                 1, SRCCOPY));
          for (int j = 5; j < std::min(m, 64 + 5); ++j) {
            const int source = *merged(n, m, j, dm, sm).begin();
            for (int b = 0; b < size; ++b)
              ASSERT_EQ(dst.row(0)[(j - 5) * size + b], static_cast<std::uint8_t>(source * size + b + 1))
                  << bpp << " " << n << "->" << m << " mirror " << mirror << " pixel " << j;
          }
          for (int i = std::max(0, m - 5) * size; i < 64 * size; ++i) ASSERT_EQ(dst.row(0)[i], 0xee) << i;
        }
  }
}

TEST(GdiStretch, BlackOnWhiteAndsAndWhiteOnBlackOrsTheMergedPixels) {
  Row r;
  for (int mode : {BLACKONWHITE, WHITEONBLACK}) {
    SetStretchBltMode(r.dst.dc, mode);
    // Source pixel i has bit i alone (or alone cleared), so the result names what was merged.
    for (int i = 0; i < 32; ++i)
      r.src.at(i, 0) = i >= 24 ? 0 : mode == WHITEONBLACK ? (1u << i) : (~(1u << i) & 0xffffff);
    for (int mirror = 0; mirror < 4; ++mirror)
      for (int n = 1; n <= 14; ++n)
        for (int m = 1; m <= 14; ++m) {
          bool dm = mirror & 1, sm = mirror & 2;
          r.stretch(n, m, dm, sm);
          for (int j = 0; j < m; ++j) {
            std::uint32_t bits = 0;
            for (int i : merged(n, m, j, dm, sm)) bits |= 1u << i;
            std::uint32_t expected = mode == WHITEONBLACK ? bits : (~bits & 0xffffff);
            ASSERT_EQ(r.dst.at(2 + j, 0), expected) << n << "->" << m << " mirror " << mirror << " pixel " << j;
          }
        }
  }
}

TEST(GdiStretch, VerticallyTheFirstRowOfAGroupIsTaken) {
  Canvas src(1, 16), dst(1, 16);
  SetStretchBltMode(dst.dc, COLORONCOLOR);
  for (int i = 0; i < 16; ++i) src.at(0, i) = static_cast<std::uint32_t>(i);
  struct Case {
    int n, m;
    std::vector<std::uint32_t> rows;
  } cases[] = {{7, 3, {0, 2, 5}},
               {9, 4, {0, 2, 5, 7}},
               {5, 1, {0}},
               {2, 7, {0, 0, 0, 0, 1, 1, 1}},
               {3, 9, {0, 0, 0, 1, 1, 1, 2, 2, 2}}};
  for (const Case& c : cases) {
    dst.fill(0xabcdef);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 2, 1, c.m, src.dc, 0, 0, 1, c.n, SRCCOPY));
    for (int j = 0; j < c.m; ++j)
      EXPECT_EQ(dst.at(0, 2 + j), c.rows[static_cast<std::size_t>(j)]) << c.n << "->" << c.m;
    // Mirrored source: the picks mirror too.
    dst.fill(0xabcdef);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 2, 1, c.m, src.dc, 0, c.n - 1, 1, -c.n, SRCCOPY));
    for (int j = 0; j < c.m; ++j)
      EXPECT_EQ(dst.at(0, 2 + j), static_cast<std::uint32_t>(c.n - 1) - c.rows[static_cast<std::size_t>(j)])
          << c.n << "->" << c.m << " mirrored source";
  }
  // Both axes at once: rows and columns pick independently.
  Canvas big(8, 8), small(3, 3);
  SetStretchBltMode(small.dc, COLORONCOLOR);
  for (int i = 0; i < 64; ++i) big.at(i % 8, i / 8) = static_cast<std::uint32_t>(i);
  ASSERT_TRUE(StretchBlt(small.dc, 0, 0, 3, 3, big.dc, 0, 0, 7, 7, SRCCOPY));
  const std::uint32_t expected[9] = {1, 4, 6, 17, 20, 22, 41, 44, 46};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(small.at(i % 3, i / 3), expected[i]);
}

TEST(GdiStretch, ClippedStretchKeepsTheUnclippedPicks) {
  Canvas src(8, 1), dst(16, 1);
  SetStretchBltMode(dst.dc, COLORONCOLOR);
  for (int i = 0; i < 8; ++i) src.at(i, 0) = static_cast<std::uint32_t>(i);
  struct Case {
    int x, w, sx, sw;
    std::vector<int> expected;
  } cases[] = {
      {-3, 10, 0, 4, {1, 1, 2, 2, 2, 3, 3, -1}},  // starts off the left edge
      {-3, 10, 0, 7, {2, 3, 3, 4, 5, 5, 6, -1}},
      {5, -10, 0, 4, {2, 1, 1, 0, 0, 0, -1}},  // mirrored, off the left edge
      {0, 10, 4, 8, {4, 5, 5, 6, 7, -1}},      // source runs out: those pixels stay
      {0, 10, -3, 8, {-1, -1, -1, -1, 0, 1, 2, 2, 3, 4, -1}},
  };
  for (const Case& c : cases) {
    dst.fill(0xabcdef);
    ASSERT_TRUE(StretchBlt(dst.dc, c.x, 0, c.w, 1, src.dc, c.sx, 0, c.sw, 1, SRCCOPY));
    for (int x = 0; x < 16; ++x) {
      int e = x < static_cast<int>(c.expected.size()) ? c.expected[static_cast<std::size_t>(x)] : -1;
      EXPECT_EQ(dst.at(x, 0), e < 0 ? 0xabcdefu : static_cast<std::uint32_t>(e))
          << "case " << c.x << "," << c.w << " column " << x;
    }
  }
}

TEST(GdiStretch, ModesAndMonochromeTargets) {
  Canvas src(4, 1);
  MonoCanvas mono(8, 1);
  EXPECT_EQ(GetStretchBltMode(mono.dc), BLACKONWHITE);  // Win32's default
  EXPECT_EQ(SetStretchBltMode(mono.dc, 7), 0);
  EXPECT_EQ(SetStretchBltMode(mono.dc, 0), 0);
  EXPECT_EQ(GetStretchBltMode(mono.dc), BLACKONWHITE);
  // Colour to monochrome converts first (white background: white pixels become 1), then the
  // default mode ANDs the merged pixels, keeping black.
  src.at(0, 0) = 0xffffff;
  src.at(1, 0) = 0;
  src.at(2, 0) = 0xffffff;
  src.at(3, 0) = 0xffffff;
  SetBkColor(src.dc, RGB(255, 255, 255));
  PatBlt(mono.dc, 0, 0, 8, 1, BLACKNESS);
  ASSERT_TRUE(StretchBlt(mono.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 1, SRCCOPY));
  EXPECT_EQ(mono.bytes()[0], 0x40);
  SetBkColor(src.dc, RGB(0, 0, 0));
  ASSERT_TRUE(StretchBlt(mono.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 1, SRCCOPY));
  EXPECT_EQ(mono.bytes()[0], 0x00);
  // An empty extent draws nothing and succeeds.
  EXPECT_TRUE(StretchBlt(mono.dc, 0, 0, 0, 1, src.dc, 0, 0, 4, 1, SRCCOPY));
}

}  // namespace
