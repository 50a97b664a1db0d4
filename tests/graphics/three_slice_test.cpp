// Three-slice strips: caps copied 1:1 at the ends, the middle stretched between them.
//
// The skin's pixels name their own coordinates, so every target pixel tells which skin
// pixel it came from. The caps are checked pixel for pixel; the stretched middle is checked
// for what any scaling must give (each target column and row comes from one source column
// and row of the middle block, in order, from its first to its last when enlarging), which
// holds for every stretch mode and so does not depend on the platform's scaling steps.
#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "tests/support/drawing_fixtures.h"
#include "tests/support/leak_guard.h"
#include <veneer/veneer.h>

namespace veneer::test {
namespace {

constexpr Fill kFill{RGB(250, 250, 10)};

COLORREF coded(int x, int y) { return RGB(x, y, 0x40); }

struct Strip {
  bool horizontal;
  CPoint source;
  int sw, sh;
  CRect dest;
  int c1, c2;      // passed to the function
  int cap1, cap2;  // what the caps must come out as
};

class ThreeSlice : public ::testing::Test {
 protected:
  void SetUp() override { make_dib32(skin_, 80, 80, coded); }
  void TearDown() override {
    skin_.DeleteObject();
    EXPECT_NO_LEAKS(guard_);
  }

  void draw(Canvas& canvas, const Strip& s) {
    if (s.horizontal)
      AfxDrawHoriRectEx(&canvas.cdc(), &skin_, s.source, s.sw, s.sh, s.dest, s.c1, s.c2);
    else
      AfxDrawVertRectEx(&canvas.cdc(), &skin_, s.source, s.sw, s.sh, s.dest, s.c1, s.c2);
  }

  // Draws the strip and checks every pixel of the canvas (see the file comment).
  void check(const Strip& s, int stretch_mode = 0) {
    Canvas canvas(64, 64, kFill);
    if (stretch_mode) SetStretchBltMode(canvas.cdc().m_hDC, stretch_mode);
    const DcState before = dc_state(canvas.cdc().m_hDC);
    draw(canvas, s);
    EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);

    // Along the strip (a) and across it (b), in the target and in the skin.
    auto along = [&](int x, int y) { return s.horizontal ? x : y; };
    auto across = [&](int x, int y) { return s.horizontal ? y : x; };
    const int d0 = along(s.dest.left, s.dest.top), d1 = along(s.dest.right, s.dest.bottom);
    const int e0 = across(s.dest.left, s.dest.top), e1 = across(s.dest.right, s.dest.bottom);
    const int s0 = along(s.source.x, s.source.y), t0 = across(s.source.x, s.source.y);
    const int length = s.horizontal ? s.sw : s.sh, thickness = s.horizontal ? s.sh : s.sw;
    const int m0 = d0 + s.cap1, m1 = d1 - s.cap2;           // the middle in the target
    const int n0 = s0 + s.cap1, n1 = s0 + length - s.cap2;  // and in the skin
    ASSERT_LE(m0, m1) << "this check covers strips at least as long as their caps";

    std::vector<std::optional<int>> column_map(64), row_map(64);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const COLORREF got = canvas.color(x, y);
        const int a = along(x, y), b = across(x, y);
        SCOPED_TRACE(::testing::Message() << "at (" << x << "," << y << ")");
        if (a < d0 || a >= d1 || b < e0 || b >= e1) {
          ASSERT_EQ(got, kFill.color);
        } else if (a < m0) {  // first cap: unscaled, as thick as the destination
          ASSERT_EQ(got, s.horizontal ? coded(s0 + a - d0, t0 + b - e0) : coded(t0 + b - e0, s0 + a - d0));
        } else if (a >= m1) {  // second cap, from the far end of the strip
          const int sa = s0 + length - s.cap2 + a - m1;
          ASSERT_EQ(got, s.horizontal ? coded(sa, t0 + b - e0) : coded(t0 + b - e0, sa));
        } else {
          ASSERT_EQ(GetBValue(got), 0x40) << "not from the skin";
          const int sa = along(GetRValue(got), GetGValue(got)), sb = across(GetRValue(got), GetGValue(got));
          ASSERT_GE(sa, n0);
          ASSERT_LT(sa, n1);
          ASSERT_GE(sb, t0);
          ASSERT_LT(sb, t0 + thickness);
          // One source position per target line, the same all along it.
          if (!column_map[a]) column_map[a] = sa;
          if (!row_map[b]) row_map[b] = sb;
          ASSERT_EQ(*column_map[a], sa);
          ASSERT_EQ(*row_map[b], sb);
        }
      }
    expect_ordered(column_map, m0, m1, n0, n1);
    expect_ordered(row_map, e0, e1, t0, t0 + thickness);
  }

  // The map from target lines [from, to) to source lines [first, last) runs forward; when it
  // enlarges it starts at the first source line, ends at the last and misses none.
  static void expect_ordered(const std::vector<std::optional<int>>& map, int from, int to, int first, int last) {
    if (from >= to) return;
    for (int i = from + 1; i < to; ++i) ASSERT_LE(*map[i - 1], *map[i]) << "line " << i;
    if (to - from >= last - first) {
      EXPECT_EQ(*map[from], first);
      EXPECT_EQ(*map[to - 1], last - 1);
      for (int i = from + 1; i < to; ++i) ASSERT_LE(*map[i] - *map[i - 1], 1) << "line " << i;
    }
  }

  LeakGuard guard_;
  CBitmap skin_;
};

TEST_F(ThreeSlice, DefaultCapsSplitTheStripAroundAMiddleOfTwoOrThreePixels) {
  for (bool horizontal : {true, false}) {
    SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
    auto strip = [&](int length, int cap) {
      // The destination is as thick as the source's middle, so only the length is scaled.
      return horizontal ? Strip{true, CPoint(3, 5), length, 6, CRect(4, 10, 40, 16), 0, 0, cap, cap}
                        : Strip{false, CPoint(5, 3), 6, length, CRect(10, 4, 16, 40), 0, 0, cap, cap};
    };
    check(strip(10, 4));  // a middle of 2
    check(strip(11, 4));  // a middle of 3
    check(strip(1, 0));   // (1 - 2) / 2 truncates to 0: one pixel stretched over the whole length
    check(strip(2, 0));
    check(strip(3, 0));
  }
}

TEST_F(ThreeSlice, ExplicitCapsAreNotDefaultedEvenWhenOneIsZero) {
  check({true, CPoint(2, 2), 20, 8, CRect(5, 5, 45, 13), 0, 5, 0, 5});
  check({false, CPoint(2, 2), 8, 20, CRect(5, 5, 13, 45), 5, 0, 5, 0});
  check({true, CPoint(1, 4), 30, 7, CRect(0, 0, 64, 7), 6, 9, 6, 9});
}

TEST_F(ThreeSlice, CapsTakeTheirThicknessFromTheDestination) {
  // 10 rows of middle stretched to 20; the caps show 20 rows of the skin, unscaled.
  check({true, CPoint(3, 2), 12, 10, CRect(4, 6, 36, 26), 0, 0, 5, 5});
  check({false, CPoint(2, 3), 10, 12, CRect(6, 4, 26, 36), 0, 0, 5, 5});
}

TEST_F(ThreeSlice, AMiddleLongerThanItsRoomIsShrunkWithTheTargetsStretchMode) {
  // COLORONCOLOR drops source lines; the default BLACKONWHITE would AND them together.
  check({true, CPoint(0, 0), 24, 6, CRect(2, 2, 14, 8), 3, 3, 3, 3}, COLORONCOLOR);
  check({false, CPoint(0, 0), 6, 24, CRect(2, 2, 8, 14), 3, 3, 3, 3}, COLORONCOLOR);
}

TEST_F(ThreeSlice, CapsOverlapInADestinationShorterThanBoth) {
  for (bool horizontal : {true, false}) {
    SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
    Canvas canvas(64, 64, kFill);
    // 7 long with caps of 4 and 5: the middle's length is -2; the second cap, drawn last,
    // covers the overlap, so 2 lines of the first cap and 5 of the second remain.
    const CRect dest = horizontal ? CRect(10, 10, 17, 16) : CRect(10, 10, 16, 17);
    const CPoint source(3, 3);
    if (horizontal)
      AfxDrawHoriRectEx(&canvas.cdc(), &skin_, source, 20, 6, dest, 4, 5);
    else
      AfxDrawVertRectEx(&canvas.cdc(), &skin_, source, 6, 20, dest, 4, 5);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const bool inside = x >= dest.left && x < dest.right && y >= dest.top && y < dest.bottom;
        const int a = horizontal ? x - dest.left : y - dest.top, b = horizontal ? y - dest.top : x - dest.left;
        COLORREF want = kFill.color;
        if (inside) {
          const int sa = a < 2 ? a : 20 - 5 + (a - 2);  // first cap, then the second from its start
          want = horizontal ? coded(source.x + sa, source.y + b) : coded(source.x + b, source.y + sa);
        }
        ASSERT_EQ(canvas.color(x, y), want) << "at (" << x << "," << y << ")";
      }
  }
}

TEST_F(ThreeSlice, CapsLongerThanTheDestinationAreDrawnUnclipped) {
  // 3 long with caps of 5 and 5: the sizes go to the platform as computed. The second cap
  // lands at dest.right - 5, two pixels before the destination, and is drawn last. The
  // first cap reaches two pixels past the destination's end; the middle, -7 long, is
  // mirrored about its origin column dest.left + 5, which the platform includes, and covers
  // the columns from 19 to 25 (Wine).
  Canvas canvas(64, 64, kFill);
  SetStretchBltMode(canvas.cdc().m_hDC, COLORONCOLOR);  // the middle shrinks 20 columns to 7
  const CRect dest(20, 10, 23, 14);
  AfxDrawHoriRectEx(&canvas.cdc(), &skin_, CPoint(4, 4), 30, 4, dest, 5, 5);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      SCOPED_TRACE(::testing::Message() << "at (" << x << "," << y << ")");
      const COLORREF got = canvas.color(x, y);
      if (y < 10 || y >= 14 || x < 18 || x > 25) {
        ASSERT_EQ(got, kFill.color);
      } else if (x < 23) {
        ASSERT_EQ(got, coded(4 + 25 + x - 18, 4 + y - 10));  // the second cap
      } else {
        // Past the destination: the middle (skin columns 9 to 28), drawn over the first cap.
        ASSERT_EQ(GetGValue(got), 4 + y - 10);
        ASSERT_GE(GetRValue(got), 9);
        ASSERT_LT(GetRValue(got), 29);
      }
    }
}

TEST_F(ThreeSlice, PlainFormsDrawWhatTheExtendedFormsDrawWithCapsZero) {
  for (int length : {1, 2, 9, 14}) {
    Canvas ex(64, 64, kFill), plain(64, 64, kFill);
    AfxDrawHoriRectEx(&ex.cdc(), &skin_, CPoint(2, 3), length, 5, CRect(1, 2, 50, 9), 0, 0);
    AfxDrawRect(&plain.cdc(), &skin_, CPoint(2, 3), length, 5, CRect(1, 2, 50, 9));
    EXPECT_EQ(ex.colors(), plain.colors()) << length;
    AfxDrawVertRectEx(&ex.cdc(), &skin_, CPoint(3, 2), 5, length, CRect(2, 1, 9, 50), 0, 0);
    AfxDrawVertRect(&plain.cdc(), &skin_, CPoint(3, 2), 5, length, CRect(2, 1, 9, 50));
    EXPECT_EQ(ex.colors(), plain.colors()) << length;
  }
}

TEST_F(ThreeSlice, NoBitmapNoEffect) {
  CBitmap empty;
  Canvas canvas(16, 16, kFill);
  const auto pixels = canvas.colors();
  const DcState before = dc_state(canvas.cdc().m_hDC);
#ifndef _WIN32
  headless::testing::reset_creation_counts();
#endif
  AfxDrawHoriRectEx(&canvas.cdc(), nullptr, CPoint(0, 0), 8, 8, CRect(0, 0, 16, 8), 2, 2);
  AfxDrawVertRectEx(&canvas.cdc(), &empty, CPoint(0, 0), 8, 8, CRect(0, 0, 8, 16), 2, 2);
  AfxDrawRect(&canvas.cdc(), &empty, CPoint(0, 0), 8, 8, CRect(0, 0, 16, 8));
  AfxDrawVertRect(&canvas.cdc(), nullptr, CPoint(0, 0), 8, 8, CRect(0, 0, 8, 16));
#ifndef _WIN32
  EXPECT_EQ(headless::testing::creations(headless::testing::ObjectKind::DeviceContext), 0u);
#endif
  EXPECT_EQ(canvas.colors(), pixels);
  EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
}

TEST_F(ThreeSlice, BadTargetsBitmapsAndSizesDrawNothingOutOfPlace) {
  LeakGuard guard;
  {
    CDC unattached;
    for (CDC* target : {static_cast<CDC*>(nullptr), &unattached}) {
      AfxDrawHoriRectEx(target, &skin_, CPoint(0, 0), 8, 8, CRect(0, 0, 16, 8), 2, 2);
      AfxDrawVertRectEx(target, &skin_, CPoint(0, 0), 8, 8, CRect(0, 0, 8, 16), 2, 2);
      AfxDrawRect(target, &skin_, CPoint(0, 0), 8, 8, CRect(0, 0, 16, 8));
      AfxDrawVertRect(target, &skin_, CPoint(0, 0), 8, 8, CRect(0, 0, 8, 16));
    }
    Canvas canvas(16, 16, kFill);
    const auto pixels = canvas.colors();
    const DcState before = dc_state(canvas.cdc().m_hDC);
    // A bitmap object whose handle was destroyed behind its back.
    CBitmap stale;
    make_dib32(stale, 8, 8, coded);
    DeleteObject(stale.m_hObject);
    AfxDrawHoriRectEx(&canvas.cdc(), &stale, CPoint(0, 0), 8, 8, CRect(0, 0, 16, 8), 2, 2);
    AfxDrawVertRect(&canvas.cdc(), &stale, CPoint(0, 0), 8, 8, CRect(0, 0, 8, 16));
    stale.Detach();
    // Strips wholly off the canvas, whatever their sizes and caps (negative, huge, wrapping).
    const int big = INT_MAX, small = INT_MIN;
    for (CRect dest : {CRect(small, small, small + 40, small + 40), CRect(big - 40, big - 40, big, big),
                       CRect(-100, -100, -20, -20), CRect(20, 20, 60, 60)})
      for (int size : {-8, 0, 8, big, small})
        for (int cap : {-3, 0, 3, big, small}) {
          AfxDrawHoriRectEx(&canvas.cdc(), &skin_, CPoint(0, 0), size, 8, dest, cap, 2);
          AfxDrawVertRectEx(&canvas.cdc(), &skin_, CPoint(0, 0), 8, size, dest, 2, cap);
          AfxDrawRect(&canvas.cdc(), &skin_, CPoint(cap, 0), size, size, dest);
          AfxDrawVertRect(&canvas.cdc(), &skin_, CPoint(0, cap), size, size, dest);
        }
    // Blocks of the bitmap wholly outside it draw nothing either.
    AfxDrawRect(&canvas.cdc(), &skin_, CPoint(big, big), 8, 8, CRect(0, 0, 16, 8));
    AfxDrawVertRect(&canvas.cdc(), &skin_, CPoint(small, small), 8, 8, CRect(0, 0, 8, 16));
    AfxDrawHoriRectEx(&canvas.cdc(), &skin_, CPoint(-100, 0), 8, 8, CRect(0, 0, 16, 8), 2, 2);
    EXPECT_EQ(canvas.colors(), pixels);
    EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST_F(ThreeSlice, TheTargetsSelectionsSurviveTheCall) {
  Canvas canvas(32, 32, kFill);
  HDC dc = canvas.cdc().m_hDC;
  HPEN pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HGDIOBJ old_pen = SelectObject(dc, pen), old_brush = SelectObject(dc, brush);
  SetStretchBltMode(dc, COLORONCOLOR);
  const DcState before = dc_state(dc);
  AfxDrawHoriRectEx(&canvas.cdc(), &skin_, CPoint(0, 0), 12, 6, CRect(0, 0, 30, 6), 3, 3);
  AfxDrawVertRectEx(&canvas.cdc(), &skin_, CPoint(0, 0), 6, 12, CRect(0, 6, 6, 30), 3, 3);
  EXPECT_EQ(dc_state(dc), before) << dc_state(dc).describe();
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(pen);
  DeleteObject(brush);
}

#ifndef _WIN32
TEST_F(ThreeSlice, EveryFailedCreationLeavesTheTargetAsItWas) {
  for (bool horizontal : {true, false}) {
    sweep_creation_failures([&](FaultRun& run) {
      LeakGuard guard;
      {
        Canvas canvas(32, 32, kFill);
        const auto pixels = canvas.colors();
        const DcState before = dc_state(canvas.cdc().m_hDC);
        run.arm();
        if (horizontal)
          AfxDrawRect(&canvas.cdc(), &skin_, CPoint(1, 1), 10, 6, CRect(0, 0, 30, 6));
        else
          AfxDrawVertRect(&canvas.cdc(), &skin_, CPoint(1, 1), 6, 10, CRect(0, 0, 6, 30));
        run.disarm();
        EXPECT_EQ(canvas.colors() == pixels, run.faulted) << "drawn exactly when nothing failed";
        EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
      }
      EXPECT_NO_LEAKS(guard);
    });
  }
}
#endif

}  // namespace
}  // namespace veneer::test
