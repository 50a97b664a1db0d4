// Plain blits, lines and gradients: their pixels, and the target's state after them.
#include <gtest/gtest.h>

#include "include/veneer/veneer.h"
#include "tests/graphics/gdi_fixtures.h"
#include "tests/support/leak_guard.h"

namespace veneer::test {
namespace {

class PlainDrawing : public GdiTest {};

// A source whose pixels name their own coordinates, so a wrong block shows at once.
COLORREF coded(int x, int y) { return RGB(x * 7 + 1, y * 11 + 2, 0x40); }

// Checks that inside `dest` the canvas shows the block of coded pixels at `source`, and that
// every other pixel still has the fill colour.
void expect_block(const Canvas& canvas, CPoint source, const CRect& dest, COLORREF fill) {
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x) {
      const bool inside = x >= dest.left && x < dest.right && y >= dest.top && y < dest.bottom;
      const COLORREF want = inside ? coded(source.x + x - dest.left, source.y + y - dest.top) : fill;
      ASSERT_EQ(canvas.at(x, y), want) << "at (" << x << "," << y << ")";
    }
}

TEST_F(PlainDrawing, NormalBitmapCopiesTheBlockUnscaled) {
  CBitmap skin;
  make_dib32(skin, 12, 10, coded);
  Canvas canvas(20, 16);
  const COLORREF fill = canvas.at(0, 0);
  const DcState before = dc_state(canvas.dc().m_hDC);
  AfxDrawNormalBitmap(&canvas.dc(), &skin, CPoint(3, 2), CRect(5, 7, 12, 11));
  expect_block(canvas, CPoint(3, 2), CRect(5, 7, 12, 11), fill);
  EXPECT_EQ(dc_state(canvas.dc().m_hDC), before) << dc_state(canvas.dc().m_hDC).describe();
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
  Canvas normal(20, 16), stretched(20, 16);
  AfxDrawNormalBitmap(&normal.dc(), &skin, CPoint(1, 3), CRect(2, 4, 11, 10));
  AfxDrawStretchBitmap(&stretched.dc(), &skin, CPoint(1, 3), 9, 6, CRect(2, 4, 11, 10));
  EXPECT_EQ(normal.pixels(), stretched.pixels());
  skin.DeleteObject();
}

TEST_F(PlainDrawing, StretchEnlargesWithTheTargetsOwnMode) {
  CBitmap skin;
  make_dib32(skin, 8, 8, coded);
  Canvas canvas(24, 24);
  const int mode = GetStretchBltMode(canvas.dc().m_hDC);
  // 3 x 2 source pixels onto 9 x 8: every source pixel lands in a 3 x 4 block.
  AfxDrawStretchBitmap(&canvas.dc(), &skin, CPoint(2, 5), 3, 2, CRect(4, 6, 13, 14));
  for (int y = 6; y < 14; ++y)
    for (int x = 4; x < 13; ++x) ASSERT_EQ(canvas.at(x, y), coded(2 + (x - 4) / 3, 5 + (y - 6) / 4)) << x << "," << y;
  EXPECT_EQ(canvas.at(3, 6), canvas.at(0, 0));
  EXPECT_EQ(canvas.at(13, 6), canvas.at(0, 0));
  EXPECT_EQ(GetStretchBltMode(canvas.dc().m_hDC), mode) << "the stretch mode is the target's";
  skin.DeleteObject();
}

TEST_F(PlainDrawing, NothingIsDrawnForAnEmptyDestinationOrWithoutABitmap) {
  CBitmap skin, empty;
  make_dib32(skin, 8, 8, coded);
  Canvas canvas(10, 10);
  const auto pixels = canvas.pixels();
  const DcState before = dc_state(canvas.dc().m_hDC);
#ifndef _WIN32
  headless::testing::reset_creation_counts();
#endif
  AfxDrawNormalBitmap(&canvas.dc(), &skin, CPoint(0, 0), CRect(3, 3, 3, 8));
  AfxDrawNormalBitmap(&canvas.dc(), nullptr, CPoint(0, 0), CRect(0, 0, 5, 5));
  AfxDrawStretchBitmap(&canvas.dc(), nullptr, CPoint(0, 0), 4, 4, CRect(0, 0, 5, 5));
#ifndef _WIN32
  // A missing bitmap is turned away before any context is made.
  EXPECT_EQ(headless::testing::creations(headless::testing::ObjectKind::DeviceContext), 1u);
#endif
  AfxDrawNormalBitmap(&canvas.dc(), &empty, CPoint(0, 0), CRect(0, 0, 5, 5));
  AfxDrawStretchBitmap(&canvas.dc(), &empty, CPoint(0, 0), 4, 4, CRect(0, 0, 5, 5));
  EXPECT_EQ(canvas.pixels(), pixels);
  EXPECT_EQ(dc_state(canvas.dc().m_hDC), before);
  skin.DeleteObject();
}

TEST_F(PlainDrawing, ABitmapSelectedElsewhereDrawsNothing) {
  CBitmap skin;
  make_dib32(skin, 8, 8, coded);
  HDC holder = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(holder, skin.m_hObject);
  Canvas canvas(10, 10);
  const auto pixels = canvas.pixels();
  AfxDrawNormalBitmap(&canvas.dc(), &skin, CPoint(0, 0), CRect(0, 0, 5, 5));
  AfxDrawStretchBitmap(&canvas.dc(), &skin, CPoint(0, 0), 4, 4, CRect(0, 0, 8, 8));
  EXPECT_EQ(canvas.pixels(), pixels);
  SelectObject(holder, previous);
  DeleteDC(holder);
  skin.DeleteObject();
}

TEST_F(PlainDrawing, LineCoversItsStartAndStopsBeforeItsEnd) {
  Canvas canvas(16, 8, RGB(0, 0, 0));
  HPEN own_pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
  HGDIOBJ stock_pen = SelectObject(canvas.dc().m_hDC, own_pen);
  SetBkColor(canvas.dc().m_hDC, RGB(9, 9, 9));
  const DcState before = dc_state(canvas.dc().m_hDC);

  AfxDrawSingleLine(&canvas.dc(), CPoint(0, 0), CPoint(10, 0), RGB(200, 100, 50));
  for (int x = 0; x < 16; ++x) EXPECT_EQ(canvas.at(x, 0), x < 10 ? RGB(200, 100, 50) : RGB(0, 0, 0)) << x;
  AfxDrawSingleLine(&canvas.dc(), CPoint(3, 6), CPoint(3, 2), RGB(0, 255, 0));
  for (int y = 1; y < 8; ++y) EXPECT_EQ(canvas.at(3, y), y > 2 && y <= 6 ? RGB(0, 255, 0) : RGB(0, 0, 0)) << y;

  DcState after = dc_state(canvas.dc().m_hDC);
  EXPECT_EQ(after.position.x, 3);
  EXPECT_EQ(after.position.y, 2);
  after.position = before.position;  // the one piece of state the line moves
  EXPECT_EQ(after, before) << after.describe();
  EXPECT_EQ(GetCurrentObject(canvas.dc().m_hDC, OBJ_PEN), own_pen);

  SelectObject(canvas.dc().m_hDC, stock_pen);
  DeleteObject(own_pen);
}

TEST_F(PlainDrawing, GradientRunsAcrossOrDownTheRectangle) {
  // Wine's GradientFill, red to blue over 10 pixels (0xRRGGBB).
  const std::uint32_t measured[10] = {0xff0000, 0xe50019, 0xcc0033, 0xb2004c, 0x990066,
                                      0x7f007f, 0x660099, 0x4c00b2, 0x3300cc, 0x1900e5};
  auto step = [&](int i) { return RGB(measured[i] >> 16, (measured[i] >> 8) & 0xFF, measured[i] & 0xFF); };
  for (int vertical : {0, 1, 2}) {
    SCOPED_TRACE(vertical);
    Canvas canvas(14, 14);
    const COLORREF fill = canvas.at(0, 0);
    CRect rect(2, 3, 12, 13);
    const CRect kept = rect;
    // Bits 24 to 31 of a colour are not part of it.
    AfxGradientFillRect(&canvas.dc(), rect, 0xFF0000FF, RGB(0, 0, 255), vertical);
    EXPECT_EQ(rect, kept);
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 14; ++x) {
        const bool inside = x >= 2 && x < 12 && y >= 3 && y < 13;
        ASSERT_EQ(canvas.at(x, y), inside ? step(vertical ? y - 3 : x - 2) : fill) << x << "," << y;
      }
  }
}

TEST_F(PlainDrawing, GradientTakesEachComponentAsTheHighByteOfItsChannel) {
  // A component reaches the platform in the high byte of its channel: 255 as 0xFF00, which
  // one tenth of the way towards 0 gives 0xE580, so 0xE5; 0xFFFF would give 0xE665, 0xE6.
  Canvas canvas(10, 1);
  CRect rect(0, 0, 10, 1);
  AfxGradientFillRect(&canvas.dc(), rect, RGB(0x12, 0xFF, 0), RGB(0x12, 0, 0), 0);
  EXPECT_EQ(canvas.at(0, 0), RGB(0x12, 0xFF, 0));
  EXPECT_EQ(canvas.at(1, 0), RGB(0x12, 0xE5, 0));
}

#ifndef _WIN32
TEST_F(PlainDrawing, APenThatCannotBeMadeRaisesTheResourceExceptionAndDrawsNothing) {
  using namespace veneer::headless::testing;
  Canvas canvas(16, 4, RGB(0, 0, 0));
  const DcState before = dc_state(canvas.dc().m_hDC);
  fail_nth_creation(ObjectKind::Pen, 1);
  bool raised = false;
  try {
    AfxDrawSingleLine(&canvas.dc(), CPoint(0, 1), CPoint(10, 1), RGB(255, 255, 255));
  } catch (CResourceException* e) {
    raised = true;
    e->Delete();
  }
  clear_faults();
  EXPECT_TRUE(raised);
  EXPECT_EQ(dc_state(canvas.dc().m_hDC), before);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(canvas.at(x, 1), RGB(0, 0, 0));
}

TEST_F(PlainDrawing, EveryFailedCreationLeavesTheTargetAsItWas) {
  for (bool stretch : {false, true}) {
    sweep_creation_failures([&](FaultRun& run) {
      LeakGuard guard;
      {
        CBitmap skin;
        make_dib32(skin, 8, 8, coded);
        Canvas canvas(12, 12);
        const auto pixels = canvas.pixels();
        const DcState before = dc_state(canvas.dc().m_hDC);
        run.arm();
        if (stretch)
          AfxDrawStretchBitmap(&canvas.dc(), &skin, CPoint(1, 1), 4, 4, CRect(0, 0, 8, 8));
        else
          AfxDrawNormalBitmap(&canvas.dc(), &skin, CPoint(1, 1), CRect(0, 0, 6, 6));
        run.disarm();
        EXPECT_EQ(canvas.pixels() == pixels, run.faulted) << "drawn exactly when nothing failed";
        EXPECT_EQ(dc_state(canvas.dc().m_hDC), before);
        skin.DeleteObject();
      }
      EXPECT_NO_LEAKS(guard);
    });
  }
}
#endif

}  // namespace
}  // namespace veneer::test
