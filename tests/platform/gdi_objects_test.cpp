// Conformance of contexts, stock objects, pens, brushes, fonts and object bookkeeping.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/dib_section.h"
#include "tests/support/gdi_conformance.h"
#include "tests/support/leak_guard.h"

namespace {

using veneer::test::LeakGuard;

TEST(GdiObjects, NewContextDefaults) {
  LeakGuard guard;
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(dc);
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  POINT p{1, 1};
  EXPECT_TRUE(GetCurrentPositionEx(dc, &p));
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(SetBkColor(dc, 0x123456), RGB(255, 255, 255));
  EXPECT_EQ(SetBkColor(dc, 0), 0x123456u);
  EXPECT_EQ(SetBkMode(dc, 5), 0);
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetObjectType(screen), static_cast<DWORD>(OBJ_DC));
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
#ifndef _WIN32
  // A made-up handle is refused (32-bit Wine crashes on it, so it is checked here only).
  EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(static_cast<ULONG_PTR>(0x1234))), nullptr);
#endif
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(GetObjectType(dc), 0u);
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiObjects, StockObjectsAsWin32DescribesThem) {
  struct Font {
    int id;
    const char* face;
    LONG height, width, weight;
    BYTE charset, pitch_and_family;
  } fonts[] = {
      {DEFAULT_GUI_FONT, "MS Shell Dlg", -11, 0, 400, 0, 0x22}, {SYSTEM_FONT, "System", 16, 7, 700, 0, 0x22},
      {ANSI_VAR_FONT, "MS Sans Serif", 12, 0, 400, 0, 0x22},    {ANSI_FIXED_FONT, "Courier", 12, 0, 400, 0, 0x31},
      {SYSTEM_FIXED_FONT, "Courier", 16, 0, 400, 0, 0x31},      {OEM_FIXED_FONT, "", 12, 0, 400, 255, 0x31},
  };
  for (const Font& f : fonts) {
    LOGFONTA lf{};
    ASSERT_EQ(GetObjectA(GetStockObject(f.id), sizeof lf, &lf), static_cast<int>(sizeof lf)) << f.id;
    EXPECT_STREQ(lf.lfFaceName, f.face);
    EXPECT_EQ(lf.lfHeight, f.height) << f.id;
    EXPECT_EQ(lf.lfWidth, f.width) << f.id;
    EXPECT_EQ(lf.lfWeight, f.weight) << f.id;
    EXPECT_EQ(lf.lfCharSet, f.charset) << f.id;
    EXPECT_EQ(lf.lfPitchAndFamily, f.pitch_and_family) << f.id;
  }
  const COLORREF brushes[] = {0xffffff, 0xc0c0c0, 0x808080, 0x404040, 0};
  for (int i = 0; i < 5; ++i) {
    LOGBRUSH lb{};
    GetObjectA(GetStockObject(i), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(lb.lbColor, brushes[i]);
  }
  LOGPEN lp{};
  GetObjectA(GetStockObject(NULL_PEN), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_NULL));
  GetObjectA(GetStockObject(WHITE_PEN), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnColor, 0xffffffu);
  EXPECT_EQ(lp.lopnWidth.x, 0);
  // Stock objects cannot be deleted; trying succeeds and changes nothing.
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
  EXPECT_EQ(GetStockObject(9), nullptr);
}

TEST(GdiObjects, PensBrushesAndFontsKeepWhatTheyWereGiven) {
  LeakGuard guard;
  HPEN pen = CreatePen(PS_SOLID, -3, 0x01000002);
  LOGPEN lp{};
  EXPECT_EQ(GetObjectA(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnColor, 0x01000002u);
  EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));
  HBRUSH brush = CreateSolidBrush(0x80123456);
  LOGBRUSH lb{};
  GetObjectA(brush, sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, 0x80123456u);
  HFONT font = CreateFontA(-12, 0, 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, 0, 0,
                           "A very long face name that goes past thirty-two characters");
  LOGFONTA lf{};
  EXPECT_EQ(GetObjectA(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_STREQ(lf.lfFaceName, "A very long face name that goes");
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(GetObjectA(font, 10, &lf), 10);  // a short buffer takes what fits
  EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_FALSE(DeleteObject(font));
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiObjects, SelectionReturnsThePreviousObjectAndDefersDeletion) {
  LeakGuard guard;
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  HGDIOBJ old_pen = SelectObject(a, pen);
  EXPECT_EQ(old_pen, GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(a, OBJ_PEN), pen);
  EXPECT_TRUE(DeleteObject(pen));  // selected: deleted when let go
  EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));
  EXPECT_EQ(SelectObject(a, old_pen), pen);
  EXPECT_EQ(GetObjectType(pen), 0u);
  HBRUSH brush = CreateSolidBrush(0);
  HGDIOBJ old_brush = SelectObject(a, brush);
  SelectObject(b, brush);  // a brush may be in several contexts
  EXPECT_TRUE(DeleteObject(brush));
  SelectObject(a, old_brush);
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  SelectObject(b, old_brush);
  EXPECT_EQ(GetObjectType(brush), 0u);
  HFONT font = CreateFontA(-11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  SelectObject(a, font);
  EXPECT_TRUE(DeleteDC(a));  // deleting the context lets its font go, which is still not deleted
  EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  DeleteObject(font);
  EXPECT_EQ(SelectObject(b, nullptr), nullptr);
  DeleteDC(b);
  EXPECT_NO_LEAKS(guard);
}

#ifndef _WIN32
using namespace veneer::headless::testing;

TEST(GdiObjects, EveryKindIsCountedAndCanBeMadeToFail) {
  LeakGuard guard;
  struct Kind {
    ObjectKind kind;
    bool (*make)();
  } kinds[] = {
      {ObjectKind::Bitmap,
       [] {
         HBITMAP b = CreateBitmap(2, 2, 1, 32, nullptr);
         return b && DeleteObject(b);
       }},
      {ObjectKind::Bitmap,
       [] {
         void* bits = nullptr;
         HBITMAP b = veneer::test::make_dib_section(2, 2, 24, &bits, veneer::test::RowOrder::BottomUp);
         return b && DeleteObject(b);
       }},
      {ObjectKind::Brush,
       [] {
         HBRUSH b = CreateSolidBrush(0);
         return b && DeleteObject(b);
       }},
      {ObjectKind::Pen,
       [] {
         HPEN p = CreatePen(PS_SOLID, 1, 0);
         return p && DeleteObject(p);
       }},
      {ObjectKind::Font,
       [] {
         HFONT f = CreateFontA(-11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
         return f && DeleteObject(f);
       }},
      {ObjectKind::Region,
       [] {
         HRGN r = CreateRectRgn(0, 0, 1, 1);
         return r && DeleteObject(r);
       }},
      {ObjectKind::DeviceContext,
       [] {
         HDC d = CreateCompatibleDC(nullptr);
         return d && DeleteDC(d);
       }},
      {ObjectKind::DeviceContext,
       [] {
         HDC d = GetDC(nullptr);
         return d && ReleaseDC(nullptr, d) == 1;
       }},
  };
  for (const Kind& k : kinds) {
    std::size_t before = live_objects(k.kind);
    EXPECT_TRUE(k.make()) << kind_name(k.kind);
    EXPECT_EQ(live_objects(k.kind), before);
    fail_nth_creation(k.kind, 1);
    EXPECT_FALSE(k.make()) << kind_name(k.kind);
    EXPECT_TRUE(k.make()) << kind_name(k.kind);
  }
  clear_faults();
  std::size_t regions = live_objects(ObjectKind::Region);
  HRGN r = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(live_objects(ObjectKind::Region), regions + 1);
  DeleteObject(r);
  EXPECT_NO_LEAKS(guard);
}
#endif

}  // namespace
