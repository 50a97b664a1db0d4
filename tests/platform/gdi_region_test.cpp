// Conformance of regions: the five combinations, the types Win32 returns, and the banded
// rectangle lists GetRegionData reports.
#include <gtest/gtest.h>

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
