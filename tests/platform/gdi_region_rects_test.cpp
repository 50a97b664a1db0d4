// Conformance of regions made from, moved by and tested against rectangles, inverted and empty
// ones included.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/leak_guard.h"
#include <veneer/framework/win32_api.h>

namespace {

using veneer::test::LeakGuard;
using Sides = std::vector<LONG>;

Sides box_of(HRGN region, int* type = nullptr) {
  RECT box{};
  int t = GetRgnBox(region, &box);
  if (type) *type = t;
  return {box.left, box.top, box.right, box.bottom};
}

TEST(RegionRects, MadeAndResetFromRectangles) {
  LeakGuard leaks;
  const RECT inverted{3, 4, 1, 2};
  HRGN region = CreateRectRgnIndirect(&inverted);
  ASSERT_NE(region, nullptr);
  int type = 0;
  EXPECT_EQ(box_of(region, &type), (Sides{1, 2, 3, 4}));
  EXPECT_EQ(type, SIMPLEREGION);
  EXPECT_TRUE(SetRectRgn(region, 5, 5, 1, 1));
  EXPECT_EQ(box_of(region, &type), (Sides{1, 1, 5, 5}));
  EXPECT_TRUE(SetRectRgn(region, 1, 1, 1, 5));
  EXPECT_EQ(box_of(region, &type), (Sides{0, 0, 0, 0}));
  EXPECT_EQ(type, NULLREGION);
  EXPECT_FALSE(SetRectRgn(nullptr, 0, 0, 1, 1));
  EXPECT_TRUE(SetRectRgn(region, -0x7fffffff, -10, 0x7fffffff, 10));
  EXPECT_EQ(box_of(region), (Sides{-0x7fffffff, -10, 0x7fffffff, 10}));
  DeleteObject(region);
  EXPECT_NO_LEAKS(leaks);
}

TEST(RegionRects, OffsetMovesEveryRectangle) {
  HRGN region = CreateRectRgn(0, 0, 10, 10);
  HRGN other = CreateRectRgn(20, 0, 30, 5);
  CombineRgn(region, region, other, RGN_OR);
  EXPECT_EQ(OffsetRgn(region, 5, -3), COMPLEXREGION);
  EXPECT_EQ(box_of(region), (Sides{5, -3, 35, 7}));
  EXPECT_TRUE(PtInRegion(region, 25, 0));
  EXPECT_FALSE(PtInRegion(region, 25, 3));
  SetRectRgn(region, 0, 0, 0, 0);
  EXPECT_EQ(OffsetRgn(region, 1, 1), NULLREGION);
  EXPECT_EQ(OffsetRgn(nullptr, 1, 1), ERROR);
  DeleteObject(other);
  DeleteObject(region);
}

TEST(RegionRects, RectInRegionComparesEdgesStrictly) {
  HRGN region = CreateRectRgn(0, 0, 10, 10);
  const RECT overlapping{8, 8, 20, 20}, touching{10, 10, 20, 20}, inverted{20, 20, 8, 8}, flat{5, 5, 5, 9};
  EXPECT_TRUE(RectInRegion(region, &overlapping));
  EXPECT_FALSE(RectInRegion(region, &touching));
  EXPECT_TRUE(RectInRegion(region, &inverted)) << "corners in any order";
  EXPECT_TRUE(RectInRegion(region, &flat)) << "no width, but inside";
  SetRectRgn(region, 0, 0, 0, 0);
  EXPECT_FALSE(RectInRegion(region, &overlapping));
  DeleteObject(region);
}

}  // namespace
