// Plain blits, lines and gradients: their pixels, and the target's state after them.
#include <gtest/gtest.h>

#include <climits>

#include "tests/support/drawing_fixtures.h"
#include "tests/support/leak_guard.h"
#include <veneer/veneer.h>

namespace veneer::test {
namespace {

class PlainDrawing : public GdiTest {};

// A source whose pixels name their own coordinates, so a wrong block shows at once.
COLORREF coded(int x, int y) { return RGB(x * 7 + 1, y * 11 + 2, 0x40); }

// Checks that inside `dest` the canvas shows the block of coded pixels at `source`, and that
// every other pixel still has the fill colour.
void expect_block(const Canvas& canvas, CPoint source, const CRect& dest, COLORREF fill) {
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const bool inside = x >= dest.left && x < dest.right && y >= dest.top && y < dest.bottom;
      const COLORREF want = inside ? coded(source.x + x - dest.left, source.y + y - dest.top) : fill;
      ASSERT_EQ(canvas.color(x, y), want) << "at (" << x << "," << y << ")";
    }
}

TEST_F(PlainDrawing, NormalBitmapCopiesTheBlockUnscaled) {
  CBitmap skin;
  make_dib32(skin, 12, 10, coded);
  Canvas canvas(20, 16, kBackground);
  const COLORREF fill = canvas.color(0, 0);
  const DcState before = dc_state(canvas.cdc().m_hDC);
  AfxDrawNormalBitmap(&canvas.cdc(), &skin, CPoint(3, 2), CRect(5, 7, 12, 11));
  expect_block(canvas, CPoint(3, 2), CRect(5, 7, 12, 11), fill);
  EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before) << dc_state(canvas.cdc().m_hDC).describe();
  // The skin was deselected from the function's context: it can be selected elsewhere.
  HDC other = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(other, skin.m_hObject);
  EXPECT_NE(previous, nullptr);
  SelectObject(other, previous);
  DeleteDC(other);
  skin.DeleteObject();
}

TEST_F(PlainDrawing, StretchAtSizeDrawsWhatTheNormalBlitDraws) {
  CBitmap skin;
  make_dib32(skin, 12, 10, coded);
  Canvas normal(20, 16, kBackground), stretched(20, 16, kBackground);
  AfxDrawNormalBitmap(&normal.cdc(), &skin, CPoint(1, 3), CRect(2, 4, 11, 10));
  AfxDrawStretchBitmap(&stretched.cdc(), &skin, CPoint(1, 3), 9, 6, CRect(2, 4, 11, 10));
  EXPECT_EQ(normal.colors(), stretched.colors());
  skin.DeleteObject();
}

TEST_F(PlainDrawing, StretchEnlargesWithTheTargetsOwnMode) {
  CBitmap skin;
  make_dib32(skin, 8, 8, coded);
  Canvas canvas(24, 24, kBackground);
  const int mode = GetStretchBltMode(canvas.cdc().m_hDC);
  // 3 x 2 source pixels onto 9 x 8: every source pixel lands in a 3 x 4 block.
  AfxDrawStretchBitmap(&canvas.cdc(), &skin, CPoint(2, 5), 3, 2, CRect(4, 6, 13, 14));
  for (int y = 6; y < 14; ++y)
    for (int x = 4; x < 13; ++x)
      ASSERT_EQ(canvas.color(x, y), coded(2 + (x - 4) / 3, 5 + (y - 6) / 4)) << x << "," << y;
  EXPECT_EQ(canvas.color(3, 6), canvas.color(0, 0));
  EXPECT_EQ(canvas.color(13, 6), canvas.color(0, 0));
  EXPECT_EQ(GetStretchBltMode(canvas.cdc().m_hDC), mode) << "the stretch mode is the target's";
  skin.DeleteObject();
}

TEST_F(PlainDrawing, NothingIsDrawnForAnEmptyDestinationOrWithoutABitmap) {
  CBitmap skin, empty;
  make_dib32(skin, 8, 8, coded);
  Canvas canvas(10, 10, kBackground);
  const auto pixels = canvas.colors();
  const DcState before = dc_state(canvas.cdc().m_hDC);
#ifndef _WIN32
  headless::testing::reset_creation_counts();
#endif
  AfxDrawNormalBitmap(&canvas.cdc(), &skin, CPoint(0, 0), CRect(3, 3, 3, 8));
  AfxDrawNormalBitmap(&canvas.cdc(), nullptr, CPoint(0, 0), CRect(0, 0, 5, 5));
  AfxDrawStretchBitmap(&canvas.cdc(), nullptr, CPoint(0, 0), 4, 4, CRect(0, 0, 5, 5));
#ifndef _WIN32
  // A missing bitmap is turned away before any context is made.
  EXPECT_EQ(headless::testing::creations(headless::testing::ObjectKind::DeviceContext), 1u);
#endif
  AfxDrawNormalBitmap(&canvas.cdc(), &empty, CPoint(0, 0), CRect(0, 0, 5, 5));
  AfxDrawStretchBitmap(&canvas.cdc(), &empty, CPoint(0, 0), 4, 4, CRect(0, 0, 5, 5));
  EXPECT_EQ(canvas.colors(), pixels);
  EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
  skin.DeleteObject();
}

TEST_F(PlainDrawing, ABitmapSelectedElsewhereDrawsNothing) {
  CBitmap skin;
  make_dib32(skin, 8, 8, coded);
  HDC holder = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(holder, skin.m_hObject);
  Canvas canvas(10, 10, kBackground);
  const auto pixels = canvas.colors();
  AfxDrawNormalBitmap(&canvas.cdc(), &skin, CPoint(0, 0), CRect(0, 0, 5, 5));
  AfxDrawStretchBitmap(&canvas.cdc(), &skin, CPoint(0, 0), 4, 4, CRect(0, 0, 8, 8));
  EXPECT_EQ(canvas.colors(), pixels);
  SelectObject(holder, previous);
  DeleteDC(holder);
  skin.DeleteObject();
}

TEST_F(PlainDrawing, LineCoversItsStartAndStopsBeforeItsEnd) {
  Canvas canvas(16, 8, Fill{RGB(0, 0, 0)});
  HPEN own_pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
  HGDIOBJ stock_pen = SelectObject(canvas.cdc().m_hDC, own_pen);
  SetBkColor(canvas.cdc().m_hDC, RGB(9, 9, 9));
  const DcState before = dc_state(canvas.cdc().m_hDC);

  AfxDrawSingleLine(&canvas.cdc(), CPoint(0, 0), CPoint(10, 0), RGB(200, 100, 50));
  for (int x = 0; x < 16; ++x) EXPECT_EQ(canvas.color(x, 0), x < 10 ? RGB(200, 100, 50) : RGB(0, 0, 0)) << x;
  AfxDrawSingleLine(&canvas.cdc(), CPoint(3, 6), CPoint(3, 2), RGB(0, 255, 0));
  for (int y = 1; y < 8; ++y) EXPECT_EQ(canvas.color(3, y), y > 2 && y <= 6 ? RGB(0, 255, 0) : RGB(0, 0, 0)) << y;

  DcState after = dc_state(canvas.cdc().m_hDC);
  EXPECT_EQ(after.position.x, 3);
  EXPECT_EQ(after.position.y, 2);
  after.position = before.position;  // the one piece of state the line moves
  EXPECT_EQ(after, before) << after.describe();
  EXPECT_EQ(GetCurrentObject(canvas.cdc().m_hDC, OBJ_PEN), own_pen);

  SelectObject(canvas.cdc().m_hDC, stock_pen);
  DeleteObject(own_pen);
}

TEST_F(PlainDrawing, GradientRunsAcrossOrDownTheRectangle) {
  // Wine's GradientFill, red to blue over 10 pixels (0xRRGGBB).
  const std::uint32_t measured[10] = {0xff0000, 0xe50019, 0xcc0033, 0xb2004c, 0x990066,
                                      0x7f007f, 0x660099, 0x4c00b2, 0x3300cc, 0x1900e5};
  auto step = [&](int i) { return RGB(measured[i] >> 16, (measured[i] >> 8) & 0xFF, measured[i] & 0xFF); };
  for (int vertical : {0, 1, 2}) {
    SCOPED_TRACE(vertical);
    Canvas canvas(14, 14, kBackground);
    const COLORREF fill = canvas.color(0, 0);
    CRect rect(2, 3, 12, 13);
    const CRect kept = rect;
    const DcState before = dc_state(canvas.cdc().m_hDC);
    // Bits 24 to 31 of a colour are not part of it.
    AfxGradientFillRect(&canvas.cdc(), rect, 0xFF0000FF, RGB(0, 0, 255), vertical);
    EXPECT_EQ(rect, kept);
    EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 14; ++x) {
        const bool inside = x >= 2 && x < 12 && y >= 3 && y < 13;
        ASSERT_EQ(canvas.color(x, y), inside ? step(vertical ? y - 3 : x - 2) : fill) << x << "," << y;
      }
  }
}

TEST_F(PlainDrawing, GradientTakesEachComponentAsTheHighByteOfItsChannel) {
  // A component reaches the platform in the high byte of its channel: 255 as 0xFF00, which
  // one tenth of the way towards 0 gives 0xE580, so 0xE5; 0xFFFF would give 0xE665, 0xE6.
  Canvas canvas(10, 1, kBackground);
  CRect rect(0, 0, 10, 1);
  AfxGradientFillRect(&canvas.cdc(), rect, RGB(0x12, 0xFF, 0), RGB(0x12, 0, 0), 0);
  EXPECT_EQ(canvas.color(0, 0), RGB(0x12, 0xFF, 0));
  EXPECT_EQ(canvas.color(1, 0), RGB(0x12, 0xE5, 0));
}

// A bitmap object whose handle the host already destroyed.
struct StaleBitmap {
  CBitmap object;
  StaleBitmap() {
    make_dib32(object, 4, 4, coded);
    DeleteObject(object.m_hObject);
  }
  ~StaleBitmap() { object.Detach(); }  // not ours to delete twice: the number may be reused
};

TEST_F(PlainDrawing, BadTargetsBitmapsAndRectanglesDrawNothingAndNeverCrash) {
  CBitmap skin;
  make_dib32(skin, 8, 8, coded);
  Canvas canvas(10, 10, kBackground);
  const auto pixels = canvas.colors();
  const DcState before = dc_state(canvas.cdc().m_hDC);
  CRect rect(0, 0, 5, 5);

  // No target, or a target object without a device context.
  CDC unattached;
  for (CDC* target : {static_cast<CDC*>(nullptr), &unattached}) {
    AfxDrawNormalBitmap(target, &skin, CPoint(0, 0), CRect(0, 0, 5, 5));
    AfxDrawStretchBitmap(target, &skin, CPoint(0, 0), 4, 4, CRect(0, 0, 8, 8));
    AfxDrawSingleLine(target, CPoint(0, 0), CPoint(5, 5), RGB(1, 2, 3));
    AfxGradientFillRect(target, rect, RGB(1, 2, 3), RGB(4, 5, 6), 1);
  }
  EXPECT_EQ(unattached.m_hDC, nullptr);
  EXPECT_EQ(rect, CRect(0, 0, 5, 5));

  // A destroyed bitmap handle cannot be selected: nothing is drawn.
  {
    StaleBitmap stale;
    AfxDrawNormalBitmap(&canvas.cdc(), &stale.object, CPoint(0, 0), CRect(0, 0, 5, 5));
    AfxDrawStretchBitmap(&canvas.cdc(), &stale.object, CPoint(0, 0), 4, 4, CRect(0, 0, 8, 8));
  }

  // Rectangles and source blocks wholly off either surface, at the ends of the int range,
  // inverted or of a size that wraps: nothing lands on the canvas.
  const int big = INT_MAX, small = INT_MIN;
  const struct {
    CPoint source;
    CRect dest;
    bool dest_off;  // the rectangle itself misses the canvas (not only the block it reads)
  } off[] = {{{0, 0}, {small, small, small + 5, small + 5}, true},
             {{0, 0}, {big - 5, big - 5, big, big}, true},
             {{0, 0}, {small, 0, big, 5}, false},  // width wraps to -1: one column at INT_MIN
             {{big, big}, {0, 0, 5, 5}, false},
             {{small, small}, {0, 0, 5, 5}, false},
             {{-20, 0}, {0, 0, 5, 5}, false},
             {{8, 8}, {0, 0, 5, 5}, false}};
  for (const auto& c : off) {
    AfxDrawNormalBitmap(&canvas.cdc(), &skin, c.source, c.dest);
    AfxDrawStretchBitmap(&canvas.cdc(), &skin, c.source, 4, 4, c.dest);
    AfxDrawSingleLine(&canvas.cdc(), c.dest.TopLeft(), c.dest.TopLeft(), RGB(1, 2, 3));  // a line of no pixels
    if (!c.dest_off) continue;
    AfxDrawStretchBitmap(&canvas.cdc(), &skin, c.source, big, small, c.dest);
    CRect fill = c.dest;
    AfxGradientFillRect(&canvas.cdc(), fill, RGB(1, 2, 3), RGB(4, 5, 6), 0);
  }
  AfxDrawSingleLine(&canvas.cdc(), CPoint(small, small), CPoint(small, big), RGB(1, 2, 3));  // left of the canvas
  AfxDrawStretchBitmap(&canvas.cdc(), &skin, CPoint(0, 0), 0, 0, CRect(0, 0, 5, 5));         // an empty source
  EXPECT_EQ(canvas.colors(), pixels);
  // The line's end is the target's position, as always; the rest of its state is as it was.
  DcState after = dc_state(canvas.cdc().m_hDC);
  after.position = before.position;
  EXPECT_EQ(after, before) << after.describe();

  // An inverted gradient rectangle is the platform's to read: its corners as vertices in that
  // order, which fills the normal rectangle from the second colour to the first.
  CRect inverted(8, 8, 2, 2);
  AfxGradientFillRect(&canvas.cdc(), inverted, RGB(10, 20, 30), RGB(200, 100, 0), 0);
  EXPECT_EQ(inverted, CRect(8, 8, 2, 2));
  Canvas upright(10, 10, kBackground);
  CRect normal(2, 2, 8, 8);
  AfxGradientFillRect(&upright.cdc(), normal, RGB(200, 100, 0), RGB(10, 20, 30), 0);
  EXPECT_EQ(canvas.colors(), upright.colors());
  EXPECT_NE(canvas.colors(), pixels);
  skin.DeleteObject();
}

TEST_F(PlainDrawing, BitmapsOfEveryDepthAreDrawnInTheTargetsFormat) {
  // Monochrome: 1 bits take the target's background colour, 0 bits its text colour.
  CBitmap mono, deep24, ddb32;
  make_ddb(mono, 8, 1, 1, {0xA5, 0x00});
  Canvas canvas(8, 3, kBackground);
  SetBkColor(canvas.cdc().m_hDC, RGB(250, 240, 230));
  SetTextColor(canvas.cdc().m_hDC, RGB(5, 6, 7));
  AfxDrawNormalBitmap(&canvas.cdc(), &mono, CPoint(0, 0), CRect(0, 0, 8, 1));
  for (int x = 0; x < 8; ++x)
    EXPECT_EQ(canvas.color(x, 0), (0xA5 >> (7 - x)) & 1 ? RGB(250, 240, 230) : RGB(5, 6, 7)) << x;
  // 24-bit DIB section and 32-bit device bitmap: the colours as they are.
  std::vector<BYTE> bits;
  for (int x = 0; x < 8; ++x) bits.insert(bits.end(), {BYTE(x), BYTE(2 * x), BYTE(3 * x), 0xEE});
  make_ddb(ddb32, 8, 1, 32, bits);
  AfxDrawNormalBitmap(&canvas.cdc(), &ddb32, CPoint(0, 0), CRect(0, 1, 8, 2));
  for (int x = 0; x < 8; ++x) EXPECT_EQ(canvas.color(x, 1), RGB(3 * x, 2 * x, x)) << x;
  if (platform_has_depth(24)) {
    make_dib(deep24, 8, 1, 24);
    const auto colours = bitmap_colours(static_cast<HBITMAP>(deep24.m_hObject));
    AfxDrawStretchBitmap(&canvas.cdc(), &deep24, CPoint(0, 0), 8, 1, CRect(0, 2, 8, 3));
    for (int x = 0; x < 8; ++x) EXPECT_EQ(canvas.color(x, 2), colours[static_cast<std::size_t>(x)]) << x;
    deep24.DeleteObject();
  }
  mono.DeleteObject();
  ddb32.DeleteObject();
}

#ifndef _WIN32
TEST_F(PlainDrawing, APenThatCannotBeMadeRaisesTheResourceExceptionAndDrawsNothing) {
  using namespace veneer::headless::testing;
  Canvas canvas(16, 4, Fill{RGB(0, 0, 0)});
  const DcState before = dc_state(canvas.cdc().m_hDC);
  fail_nth_creation(ObjectKind::Pen, 1);
  bool raised = false;
  try {
    AfxDrawSingleLine(&canvas.cdc(), CPoint(0, 1), CPoint(10, 1), RGB(255, 255, 255));
  } catch (CResourceException* e) {
    raised = true;
    e->Delete();
  }
  clear_faults();
  EXPECT_TRUE(raised);
  EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(canvas.color(x, 1), RGB(0, 0, 0));
}

TEST_F(PlainDrawing, EveryFailedCreationLeavesTheTargetAsItWas) {
  for (bool stretch : {false, true}) {
    sweep_creation_failures([&](FaultRun& run) {
      LeakGuard guard;
      {
        CBitmap skin;
        make_dib32(skin, 8, 8, coded);
        Canvas canvas(12, 12, kBackground);
        const auto pixels = canvas.colors();
        const DcState before = dc_state(canvas.cdc().m_hDC);
        run.arm();
        if (stretch)
          AfxDrawStretchBitmap(&canvas.cdc(), &skin, CPoint(1, 1), 4, 4, CRect(0, 0, 8, 8));
        else
          AfxDrawNormalBitmap(&canvas.cdc(), &skin, CPoint(1, 1), CRect(0, 0, 6, 6));
        run.disarm();
        EXPECT_EQ(canvas.colors() == pixels, run.faulted) << "drawn exactly when nothing failed";
        EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
        skin.DeleteObject();
      }
      EXPECT_NO_LEAKS(guard);
    });
  }
}
#endif

}  // namespace
}  // namespace veneer::test
