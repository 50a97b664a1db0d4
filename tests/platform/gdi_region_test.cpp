// Conformance of regions: the five combinations, the types Win32 returns, and the banded
// rectangle lists GetRegionData reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "tests/support/gdi_conformance.h"
#include "tests/support/leak_guard.h"

namespace {

using veneer::test::LeakGuard;

struct Rects {
  int type;
  RECT box;
  std::vector<RECT> rects;
};

Rects read(HRGN r) {
  Rects out{};
  out.type = GetRgnBox(r, &out.box);
  DWORD size = GetRegionData(r, 0, nullptr);
  std::vector<char> buf(size);
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  EXPECT_EQ(GetRegionData(r, size, data), size);
  EXPECT_EQ(data->rdh.dwSize, sizeof(RGNDATAHEADER));
  EXPECT_EQ(data->rdh.iType, static_cast<DWORD>(RDH_RECTANGLES));
  EXPECT_EQ(data->rdh.nRgnSize, data->rdh.nCount * sizeof(RECT));
  EXPECT_EQ(size, sizeof(RGNDATAHEADER) + data->rdh.nRgnSize);
  EXPECT_TRUE(std::memcmp(&data->rdh.rcBound, &out.box, sizeof(RECT)) == 0);
  const RECT* rc = reinterpret_cast<const RECT*>(data->Buffer);
  out.rects.assign(rc, rc + data->rdh.nCount);
  return out;
}

std::vector<std::vector<LONG>> as_lists(const std::vector<RECT>& rects) {
  std::vector<std::vector<LONG>> out;
  for (const RECT& r : rects) out.push_back({r.left, r.top, r.right, r.bottom});
  return out;
}

HRGN from_rects(const std::vector<RECT>& rects) {
  std::vector<char> buf(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  data->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(rects.size()), 0, {0, 0, 0, 0}};
  if (!rects.empty()) std::memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));  // no source when empty
  return ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), data);
}

TEST(GdiRegion, CombinationsGiveWin32sBandsAndTypes) {
  LeakGuard guard;
  {
    HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), r = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(read(r).type, NULLREGION);
    EXPECT_TRUE(read(r).rects.empty());
    struct Case {
      int mode, type;
      std::vector<std::vector<LONG>> rects;
    } cases[] = {
        {RGN_AND, SIMPLEREGION, {{5, 5, 10, 10}}},
        {RGN_OR, COMPLEXREGION, {{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}}},
        {RGN_XOR, COMPLEXREGION, {{0, 0, 10, 5}, {0, 5, 5, 10}, {10, 5, 15, 10}, {5, 10, 15, 15}}},
        {RGN_DIFF, COMPLEXREGION, {{0, 0, 10, 5}, {0, 5, 5, 10}}},
        {RGN_COPY, SIMPLEREGION, {{0, 0, 10, 10}}},
    };
    for (const Case& c : cases) {
      EXPECT_EQ(CombineRgn(r, a, b, c.mode), c.type) << c.mode;
      Rects got = read(r);
      EXPECT_EQ(got.type, c.type);
      EXPECT_EQ(as_lists(got.rects), c.rects) << c.mode;
    }
    EXPECT_EQ(CombineRgn(r, a, b, 6), ERROR);
    EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_OR), ERROR);
    // The destination may be one of the sources.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_EQ(CombineRgn(a, a, a, RGN_DIFF), NULLREGION);
    RECT box{1, 1, 1, 1};
    EXPECT_EQ(GetRgnBox(a, &box), NULLREGION);
    EXPECT_EQ(box.right, 0);
    for (HRGN h : {a, b, r}) EXPECT_TRUE(DeleteObject(h));
    EXPECT_FALSE(DeleteObject(a));
    EXPECT_EQ(GetRgnBox(a, &box), ERROR);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiRegion, RectanglesPointsAndEquality) {
  LeakGuard guard;
  HRGN flat = CreateRectRgn(3, 3, 3, 8), reversed = CreateRectRgn(10, 10, 0, 0), a = CreateRectRgn(0, 0, 10, 10);
  EXPECT_EQ(read(flat).type, NULLREGION);
  EXPECT_EQ(as_lists(read(reversed).rects), (std::vector<std::vector<LONG>>{{0, 0, 10, 10}}));
  EXPECT_TRUE(EqualRgn(a, reversed));
  EXPECT_FALSE(EqualRgn(a, flat));
  EXPECT_TRUE(PtInRegion(a, 0, 0));
  EXPECT_TRUE(PtInRegion(a, 9, 9));
  EXPECT_FALSE(PtInRegion(a, 10, 5));  // right and bottom edges are outside
  EXPECT_FALSE(PtInRegion(a, -1, 0));
  DWORD need = GetRegionData(a, 0, nullptr);
  std::vector<char> small(need);
  EXPECT_EQ(GetRegionData(a, need - 1, reinterpret_cast<RGNDATA*>(small.data())), 0u);
  for (HRGN h : {flat, reversed, a}) DeleteObject(h);
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiRegion, CreatedFromRectanglesInAnyOrder) {
  LeakGuard guard;
  HRGN r = from_rects({{5, 5, 8, 8}, {0, 0, 2, 2}, {6, 0, 9, 3}});
  ASSERT_TRUE(r);
  Rects got = read(r);
  EXPECT_EQ(got.type, COMPLEXREGION);
  EXPECT_EQ(as_lists(got.rects),
            (std::vector<std::vector<LONG>>{{0, 0, 2, 2}, {6, 0, 9, 2}, {6, 2, 9, 3}, {5, 5, 8, 8}}));
  DeleteObject(r);
  // Touching rectangles merge, across and down.
  r = from_rects({{0, 0, 5, 5}, {5, 0, 10, 5}});
  EXPECT_EQ(as_lists(read(r).rects), (std::vector<std::vector<LONG>>{{0, 0, 10, 5}}));
  DeleteObject(r);
  r = from_rects({{0, 0, 5, 5}, {0, 5, 5, 10}});
  EXPECT_EQ(as_lists(read(r).rects), (std::vector<std::vector<LONG>>{{0, 0, 5, 10}}));
  DeleteObject(r);
  // Rectangles without area add nothing; none at all is the empty region.
  r = from_rects({{5, 5, 0, 0}});
  EXPECT_EQ(read(r).type, NULLREGION);
  DeleteObject(r);
  r = from_rects({});
  EXPECT_EQ(read(r).type, NULLREGION);
  DeleteObject(r);
  // A header of the wrong size is refused.
  std::vector<char> buf(sizeof(RGNDATAHEADER) + sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  data->rdh = {16, RDH_RECTANGLES, 1, 0, {0, 0, 0, 0}};
  EXPECT_EQ(ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), data), nullptr);
  EXPECT_NO_LEAKS(guard);
}

// Cells of a small grid, and the rectangles Win32 lists for them: each row's runs of covered
// cells, rows with the same runs joined into one band. Worked out cell by cell, apart from any
// region code.
struct Cells {
  static constexpr int kSide = 20;
  bool at[kSide][kSide] = {};
  std::vector<RECT> banded() const {
    std::vector<RECT> out;
    std::vector<std::pair<int, int>> band, row;
    int band_top = 0;
    auto close_band = [&](int bottom) {
      for (auto [left, right] : band) out.push_back({left, band_top, right, bottom});
    };
    for (int y = 0; y <= kSide; ++y) {
      row.clear();
      for (int x = 0; y < kSide && x < kSide; ++x)
        if (at[y][x] && (x == 0 || !at[y][x - 1])) {
          int right = x;
          while (right < kSide && at[y][right]) ++right;
          row.emplace_back(x, right);
        }
      if (y > 0 && row == band) continue;
      close_band(y);
      band = row;
      band_top = y;
    }
    return out;
  }
};

// A few random rectangles' cells, between rows `top` and `bottom`.
Cells random_cells(std::mt19937& rng, int top, int bottom) {
  Cells c;
  std::uniform_int_distribution<int> count(1, 6), x(0, Cells::kSide - 1), y(top, bottom - 1);
  for (int n = count(rng); n > 0; --n) {
    const int x0 = x(rng), x1 = x(rng), y0 = y(rng), y1 = y(rng);
    for (int row = std::min(y0, y1); row <= std::max(y0, y1); ++row)
      for (int col = std::min(x0, x1); col <= std::max(x0, x1); ++col) c.at[row][col] = true;
  }
  return c;
}

// A list already in Win32's banded order is kept as it is; the same cells listed any other
// way (a band's rectangle cut in two, a band cut into two bands, the list reversed, a
// rectangle twice) give the same bands.
TEST(GdiRegion, ListsInBandedOrderOrNotGiveWin32sBands) {
  LeakGuard guard;
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    const std::vector<RECT> bands = random_cells(rng, 0, Cells::kSide).banded();
    SCOPED_TRACE(::testing::Message() << "round " << round << ", " << bands.size() << " rectangles");
    std::vector<std::vector<RECT>> lists{bands};
    const RECT& r = bands[round % bands.size()];
    std::vector<RECT> cut = bands, reversed(bands.rbegin(), bands.rend()), twice = bands;
    if (r.right - r.left > 1) {
      auto at = cut.begin() + (round % bands.size());
      const LONG middle = (r.left + r.right) / 2;
      *at = {r.left, r.top, middle, r.bottom};
      cut.insert(at + 1, {middle, r.top, r.right, r.bottom});
      lists.push_back(cut);
    }
    if (r.bottom - r.top > 1) {
      const LONG middle = (r.top + r.bottom) / 2;
      std::vector<RECT> split;
      bool band_done = false;
      for (const RECT& b : bands) {
        if (b.top != r.top) {
          split.push_back(b);
        } else if (!band_done) {
          band_done = true;
          for (const RECT& c : bands)
            if (c.top == r.top) split.push_back({c.left, c.top, c.right, middle});
          for (const RECT& c : bands)
            if (c.top == r.top) split.push_back({c.left, middle, c.right, c.bottom});
        }
      }
      lists.push_back(split);
    }
    lists.push_back(reversed);
    twice.push_back(r);
    lists.push_back(twice);
    for (const std::vector<RECT>& list : lists) {
      HRGN region = from_rects(list);
      ASSERT_NE(region, nullptr);
      EXPECT_EQ(as_lists(read(region).rects), as_lists(bands));
      DeleteObject(region);
    }
  }
  EXPECT_NO_LEAKS(guard);
}

// The union of two regions one above the other, touching or apart, into either of them or a
// third region: Win32's bands, with a band cut between the two joined again.
TEST(GdiRegion, UnionOfRegionsOneAboveTheOtherGivesWin32sBands) {
  LeakGuard guard;
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const int cut = 1 + round % (Cells::kSide - 1);
    Cells upper = random_cells(rng, 0, cut), lower = random_cells(rng, cut, Cells::kSide);
    if (round % 3 == 0)  // the last row of the upper cells repeated below: a band cut in two
      for (int x = 0; x < Cells::kSide; ++x) lower.at[cut][x] = upper.at[cut - 1][x];
    Cells both = upper;
    for (int y = cut; y < Cells::kSide; ++y)
      for (int x = 0; x < Cells::kSide; ++x) both.at[y][x] = lower.at[y][x];
    SCOPED_TRACE(::testing::Message() << "round " << round << ", cut at row " << cut);
    for (int into = 0; into < 3; ++into)
      for (bool upper_first : {true, false}) {
        HRGN a = from_rects(upper.banded()), b = from_rects(lower.banded()), third = CreateRectRgn(0, 0, 1, 1);
        HRGN dst = into == 0 ? a : into == 1 ? b : third;
        ASSERT_NE(CombineRgn(dst, upper_first ? a : b, upper_first ? b : a, RGN_OR), ERROR);
        const Rects got = read(dst);
        const std::vector<RECT> expected = both.banded();
        EXPECT_EQ(as_lists(got.rects), as_lists(expected)) << "into " << into << ", upper first " << upper_first;
        RECT box = expected.front();
        for (const RECT& r : expected)
          box = {std::min(box.left, r.left), box.top, std::max(box.right, r.right), std::max(box.bottom, r.bottom)};
        EXPECT_EQ(as_lists({got.box}), as_lists({box}));
        for (HRGN r : {a, b, third}) DeleteObject(r);
      }
  }
  EXPECT_NO_LEAKS(guard);
}

// Headless only: Wine reads rectangles past the size it is given, where the headless GDI
// refuses them. (Compiled out on Windows rather than skipped: GTEST_SKIP crashes the 32-bit
// test program under Wine here.)
#ifndef _WIN32
TEST(GdiRegion, RectanglesBeyondTheGivenSizeAreRefused) {
  std::vector<char> buf(sizeof(RGNDATAHEADER) + 3 * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  data->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, 3, 0, {0, 0, 0, 0}};
  EXPECT_EQ(ExtCreateRegion(nullptr, sizeof(RGNDATAHEADER) + sizeof(RECT), data), nullptr);
}
#endif

}  // namespace
