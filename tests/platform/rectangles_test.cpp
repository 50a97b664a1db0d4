// Conformance of user32's rectangle arithmetic, with Win32's answers for empty, inverted, null
// and huge rectangles.
#include <gtest/gtest.h>

#include <vector>

#include <veneer/framework/win32_api.h>

namespace {

std::vector<LONG> sides(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
using Sides = std::vector<LONG>;

const RECT square{0, 0, 10, 10};
const RECT flat{5, 5, 5, 8};        // no width
const RECT inverted{10, 10, 0, 0};  // corners swapped
const RECT apart{20, 20, 30, 30};
const RECT huge{-0x7fffffff, -0x7fffffff, 0x7fffffff, 0x7fffffff};
const RECT marker{1, 1, 1, 1};

TEST(Rectangles, EmptinessEqualityAndPoints) {
  EXPECT_FALSE(IsRectEmpty(&square));
  EXPECT_TRUE(IsRectEmpty(&flat));
  EXPECT_TRUE(IsRectEmpty(&inverted));
  EXPECT_TRUE(IsRectEmpty(nullptr));
  EXPECT_FALSE(IsRectEmpty(&huge));
  RECT zero{0, 0, 0, 0}, other_zero{3, 3, 3, 3};
  EXPECT_TRUE(EqualRect(&square, &square));
  EXPECT_FALSE(EqualRect(&zero, &other_zero)) << "empty rectangles compare by their sides";
  EXPECT_FALSE(EqualRect(nullptr, &square));
  EXPECT_TRUE(PtInRect(&square, POINT{0, 0}));
  EXPECT_TRUE(PtInRect(&square, POINT{9, 9}));
  EXPECT_FALSE(PtInRect(&square, POINT{10, 10})) << "right and bottom are outside";
  EXPECT_FALSE(PtInRect(&inverted, POINT{5, 5}));
  RECT r = square;
  EXPECT_TRUE(SetRectEmpty(&r));
  EXPECT_EQ(sides(r), (Sides{0, 0, 0, 0}));
  EXPECT_FALSE(SetRectEmpty(nullptr));
}

TEST(Rectangles, OffsetAndInflateWrapAround) {
  RECT r = square;
  EXPECT_TRUE(OffsetRect(&r, -3, 4));
  EXPECT_EQ(sides(r), (Sides{-3, 4, 7, 14}));
  r = square;
  EXPECT_TRUE(InflateRect(&r, -6, 2));
  EXPECT_EQ(sides(r), (Sides{6, -2, 4, 12})) << "deflating past the middle inverts, unchecked";
  r = huge;
  EXPECT_TRUE(InflateRect(&r, 10, 10));
  EXPECT_EQ(sides(r), (Sides{2147483639, 2147483639, -2147483639, -2147483639}));
  r = huge;
  EXPECT_TRUE(OffsetRect(&r, 10, 10));
  EXPECT_EQ(sides(r), (Sides{-2147483637, -2147483637, -2147483639, -2147483639}));
  EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
  EXPECT_FALSE(InflateRect(nullptr, 1, 1));
}

TEST(Rectangles, IntersectAndUnion) {
  const RECT overlapping{5, 5, 20, 20};
  RECT r = marker;
  EXPECT_TRUE(IntersectRect(&r, &square, &overlapping));
  EXPECT_EQ(sides(r), (Sides{5, 5, 10, 10}));
  for (const RECT* other : {&flat, &inverted, &apart}) {
    r = marker;
    EXPECT_FALSE(IntersectRect(&r, &square, other));
    EXPECT_EQ(sides(r), (Sides{0, 0, 0, 0})) << "no intersection empties the result";
  }
  r = marker;
  EXPECT_TRUE(IntersectRect(&r, &huge, &square));
  EXPECT_EQ(sides(r), sides(square));
  EXPECT_FALSE(IntersectRect(&r, nullptr, &square));

  r = marker;
  EXPECT_TRUE(UnionRect(&r, &square, &flat));
  EXPECT_EQ(sides(r), sides(square)) << "an empty rectangle adds nothing";
  r = marker;
  EXPECT_TRUE(UnionRect(&r, &inverted, &square));
  EXPECT_EQ(sides(r), sides(square));
  r = marker;
  EXPECT_TRUE(UnionRect(&r, &square, &apart));
  EXPECT_EQ(sides(r), (Sides{0, 0, 30, 30}));
  r = marker;
  EXPECT_FALSE(UnionRect(&r, &flat, &inverted));
  EXPECT_EQ(sides(r), (Sides{0, 0, 0, 0}));
  r = marker;
  EXPECT_TRUE(UnionRect(&r, &square, nullptr)) << "a null rectangle counts as empty";
  EXPECT_EQ(sides(r), sides(square));
}

TEST(Rectangles, SubtractLeavesARectangleOrTheWhole) {
  struct Case {
    RECT b;
    BOOL result;
    Sides left;
  };
  const Case cases[] = {
      {{0, 0, 10, 5}, TRUE, {0, 5, 10, 10}},     // the top half
      {{5, 0, 20, 10}, TRUE, {0, 0, 5, 10}},     // the right half
      {{0, 0, 5, 5}, TRUE, {0, 0, 10, 10}},      // a corner: no rectangle is left, the whole stays
      {{-5, -5, 20, 20}, FALSE, {0, 0, 0, 0}},   // everything
      {{5, 5, 5, 8}, TRUE, {0, 0, 10, 10}},      // an empty rectangle
      {{20, 20, 30, 30}, TRUE, {0, 0, 10, 10}},  // apart
  };
  for (const Case& c : cases) {
    RECT r = marker;
    EXPECT_EQ(SubtractRect(&r, &square, &c.b), c.result) << c.b.left << "," << c.b.top;
    EXPECT_EQ(sides(r), c.left) << c.b.left << "," << c.b.top;
  }
  RECT r = marker;
  EXPECT_FALSE(SubtractRect(&r, &inverted, &flat));
  EXPECT_EQ(sides(r), (Sides{0, 0, 0, 0}));
}

}  // namespace
