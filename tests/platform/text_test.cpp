// Conformance of GDI text: realisation of the stock and created fonts, measuring, DrawTextA's
// layout rules and TextOutA's drawing, against values measured under Wine with fonts-liberation.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/dib_section.h"
#include "tests/support/leak_guard.h"
#include "tests/support/text_fixture.h"
#include <veneer/framework/win32_api.h>

namespace {

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_IF_NO_LIBERATION_FONTS();
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
  }
  void TearDown() override {
    if (!dc_) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  RECT calc(const std::string& text, UINT format) {
    RECT r{0, 0, 0, 0};
    last_result_ = DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
    return r;
  }
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  int last_result_ = 0;
};

TEST_F(TextTest, TheStockGuiFontIsLiberationSansAtElevenPixels) {
  char face[LF_FACESIZE] = {};
  EXPECT_EQ(GetTextFaceA(dc_, sizeof face, face), 15);
  EXPECT_STREQ(face, "Liberation Sans");
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(dc_, &tm));
  EXPECT_EQ(tm.tmHeight, 12);
  EXPECT_EQ(tm.tmAscent, 10);
  EXPECT_EQ(tm.tmDescent, 2);
  EXPECT_EQ(tm.tmInternalLeading, 1);
  EXPECT_EQ(tm.tmAveCharWidth, 6);
  EXPECT_EQ(tm.tmMaxCharWidth, 14);
  EXPECT_EQ(tm.tmWeight, 400);
  EXPECT_EQ(tm.tmPitchAndFamily, TMPF_FIXED_PITCH | TMPF_VECTOR | TMPF_TRUETYPE | FF_SWISS);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32A(dc_, "A&B\t\n", 5, &size));
  EXPECT_EQ(size.cx, 29);  // no prefix or tab processing; a missing glyph measures 4
  EXPECT_EQ(size.cy, 12);
  ASSERT_TRUE(GetTextExtentPoint32A(dc_, "", 0, &size));
  EXPECT_EQ(size.cx, 0);
}

TEST_F(TextTest, HeightsAndFacesRealiseAsWineRealisesThem) {
  veneer::test::LeakGuard guard;
  struct Case {
    int height;
    const char* face;
    LONG cell;
    LONG fox;
  } cases[] = {{-11, "Arial", 12, 99},           {-12, "Tahoma", 14, 109},
               {-13, "MS Shell Dlg", 15, 117},   {16, "Microsoft Sans Serif", 16, 128},
               {12, "No Such Face", 12, 99},     {0, "", 16, 128},
               {-24, "Times New Roman", 27, 213}};
  for (const Case& c : cases) {
    HFONT font = CreateFontA(c.height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, c.face);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(veneer::test::realised_face(font), "Liberation Sans") << c.face;
    HGDIOBJ old = SelectObject(dc_, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc_, &tm);
    SIZE size{};
    GetTextExtentPoint32A(dc_, "The quick brown fox", 19, &size);
    EXPECT_EQ(tm.tmHeight, c.cell) << c.face << " " << c.height;
    EXPECT_EQ(size.cx, c.fox) << c.face << " " << c.height;
    SelectObject(dc_, old);
    DeleteObject(font);
  }
  // A new context's own font (the stock system font, bold, squeezed to 7-pixel characters).
  HDC plain = CreateCompatibleDC(nullptr);
  SIZE size{};
  GetTextExtentPoint32A(plain, "AB", 2, &size);
  EXPECT_EQ(size.cx, 16);
  EXPECT_EQ(size.cy, 16);
  DeleteDC(plain);
  EXPECT_NO_LEAKS(guard);
}

TEST_F(TextTest, HeightsBeyondTheLargestEmRealiseAsTheOnePixelFont) {
  veneer::test::LeakGuard guard;
  // Measured under Wine: ems of up to 65535 pixels are realised at their size (a cell height
  // of 70000 has a 62657-pixel em); a larger em, of either sign, gives the one-pixel font.
  struct Case {
    int height;
    LONG cell, ascent, descent, internal, average, widest, hello, space, w;
  } cases[] = {
      {70000, 70000, 56722, 13278, 7343, 36958, 78535, 142783, 17408, 59139},
      {-65535, 73215, 59327, 13888, 7680, 38655, 82143, 149341, 18208, 61855},
      {-65536, 1, 1, 0, 0, 1, 1, 3, 0, 1},
      {-70000, 1, 1, 0, 0, 1, 1, 3, 0, 1},
      {77000, 1, 1, 0, 0, 1, 1, 3, 0, 1},
      {1000000, 1, 1, 0, 0, 1, 1, 3, 0, 1},
      {-2147483647, 1, 1, 0, 0, 1, 1, 3, 0, 1},
  };
  for (const Case& c : cases) {
    HFONT font = CreateFontA(c.height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    ASSERT_NE(font, nullptr);
    HGDIOBJ old = SelectObject(dc_, font);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(dc_, &tm));
    EXPECT_EQ(tm.tmHeight, c.cell) << c.height;
    EXPECT_EQ(tm.tmAscent, c.ascent) << c.height;
    EXPECT_EQ(tm.tmDescent, c.descent) << c.height;
    EXPECT_EQ(tm.tmInternalLeading, c.internal) << c.height;
    EXPECT_EQ(tm.tmAveCharWidth, c.average) << c.height;
    EXPECT_EQ(tm.tmMaxCharWidth, c.widest) << c.height;
    SIZE hello{}, space{}, w{};
    ASSERT_TRUE(GetTextExtentPoint32A(dc_, "Hello", 5, &hello));
    GetTextExtentPoint32A(dc_, " ", 1, &space);
    GetTextExtentPoint32A(dc_, "W", 1, &w);
    EXPECT_EQ(hello.cx, c.hello) << c.height;
    EXPECT_EQ(hello.cy, c.cell) << c.height;
    EXPECT_EQ(space.cx, c.space) << c.height;
    EXPECT_EQ(w.cx, c.w) << c.height;
    SelectObject(dc_, old);
    DeleteObject(font);
  }
  // The one-pixel font draws a one-pixel cell (glyph pixels differ between the platforms, so
  // glyph and background share one colour).
  void* bits = nullptr;
  HBITMAP dib = veneer::test::make_dib_section(8, 8, 32, &bits, veneer::test::RowOrder::TopDown, dc_);
  ASSERT_NE(dib, nullptr);
  HGDIOBJ old_bitmap = SelectObject(dc_, dib);
  HFONT font = CreateFontA(1000000, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ old_font = SelectObject(dc_, font);
  SetBkMode(dc_, OPAQUE);
  SetBkColor(dc_, RGB(255, 255, 255));
  SetTextColor(dc_, RGB(255, 255, 255));
  ASSERT_TRUE(TextOutA(dc_, 2, 3, "A", 1));
  GdiFlush();
  int painted = 0;
  for (int i = 0; i < 64; ++i) painted += (static_cast<DWORD*>(bits)[i] & 0xffffff) != 0;
  EXPECT_EQ(painted, 1);
  EXPECT_EQ(static_cast<DWORD*>(bits)[3 * 8 + 2] & 0xffffff, 0xffffffu);
  SelectObject(dc_, old_font);
  DeleteObject(font);
  SelectObject(dc_, old_bitmap);
  DeleteObject(dib);
  EXPECT_NO_LEAKS(guard);
}

TEST_F(TextTest, DrawTextMeasuresLinesPrefixesAndTabs) {
  const UINT single = DT_SINGLELINE;
  EXPECT_EQ(calc("AB", single).right, 14);
  EXPECT_EQ(calc("A&B", single).right, 14);
  EXPECT_EQ(calc("A&&B", single).right, 21);
  EXPECT_EQ(calc("A&", single).right, 14) << "a final ampersand is measured";
  EXPECT_EQ(calc("&&&", single).right, 14);
  EXPECT_EQ(calc("A&B", single | DT_NOPREFIX).right, 21);
  // Single line: breaks are characters; the line is 12 high, or centred on the (empty) box.
  RECT r = calc("A\nB", single);
  EXPECT_EQ(r.right, 18);
  EXPECT_EQ(r.bottom, 12);
  EXPECT_EQ(last_result_, 12);
  r = calc("A\nB", single | DT_VCENTER);
  EXPECT_EQ(r.bottom, 6);
  EXPECT_EQ(last_result_, 6);
  // Several lines: the widest one, one line height each.
  r = calc("AB\nA\r\nABAB", 0);
  EXPECT_EQ(r.right, 28);
  EXPECT_EQ(r.bottom, 36);
  // Tabs: a glyph, or a move to the next stop eight average widths (48 pixels) along.
  EXPECT_EQ(calc("A\tB", single).right, 18);
  EXPECT_EQ(calc("A\tB", single | DT_EXPANDTABS).right, 55);
  r = calc("", single);
  EXPECT_EQ(r.right, 0);
  EXPECT_EQ(last_result_, 0);
}

TEST_F(TextTest, TextOutDrawsInsideTheCellOnly) {
  veneer::test::LeakGuard guard;
  void* bits = nullptr;
  HBITMAP dib = veneer::test::make_dib_section(40, 20, 32, &bits, veneer::test::RowOrder::TopDown, dc_);
  ASSERT_NE(dib, nullptr);
  HGDIOBJ old_bitmap = SelectObject(dc_, dib);
  auto* pixels = static_cast<DWORD*>(bits);
  for (int i = 0; i < 40 * 20; ++i) pixels[i] = 0x00ffffff;
  SetTextColor(dc_, RGB(0, 0, 0));
  SetBkMode(dc_, TRANSPARENT);
  ASSERT_TRUE(TextOutA(dc_, 5, 4, "AB", 2));
  GdiFlush();
  int inked = 0, outside = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      if ((pixels[y * 40 + x] & 0xffffff) == 0xffffff) continue;
      ++inked;
      if (x < 5 || x >= 5 + 14 || y < 4 || y >= 4 + 12) ++outside;
    }
  EXPECT_GT(inked, 10);
  EXPECT_EQ(outside, 0);
  // An opaque background fills the whole cell.
  SetBkMode(dc_, OPAQUE);
  SetBkColor(dc_, RGB(255, 0, 0));
  ASSERT_TRUE(TextOutA(dc_, 20, 4, "A", 1));
  GdiFlush();
  EXPECT_EQ(pixels[4 * 40 + 20] & 0xffffff, 0xff0000u);
  EXPECT_EQ(pixels[15 * 40 + 26] & 0xffffff, 0xff0000u);
  EXPECT_EQ(pixels[16 * 40 + 26] & 0xffffff, 0xffffffu);
  SelectObject(dc_, old_bitmap);
  DeleteObject(dib);
  EXPECT_NO_LEAKS(guard);
}

}  // namespace
