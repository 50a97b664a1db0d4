// Text width: one line in the given font (or the stock GUI font), with prefix processing.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/leak_guard.h"
#include "tests/support/text_fixture.h"
#include <veneer/framework/afx.h>
#include <veneer/veneer.h>

namespace {

using veneer::test::extent_of;

int width(const std::string& text, CFont* font = nullptr) {
  return AfxCaclStringLength(CStringT(text.data(), static_cast<int>(text.size())), font);
}

HGDIOBJ stock_gui_font() { return GetStockObject(DEFAULT_GUI_FONT); }

TEST(StringWidth, PrefixesAndLineBreaksFollowTheSingleLineRules) {
  veneer::test::LeakGuard guard;
  EXPECT_EQ(width(""), 0);
  EXPECT_EQ(width("A&B"), width("AB")) << "a single ampersand is not measured";
  EXPECT_EQ(width("A&&B"), extent_of(stock_gui_font(), "A&B")) << "two measure as one";
  EXPECT_EQ(width("AB"), extent_of(stock_gui_font(), "AB"));
  // Line breaks and tabs are characters of the one line, measured as the font measures them.
  for (const char* text : {"A\nB", "A\r\nB", "line one\rline two", "A\tB"})
    EXPECT_EQ(width(text), extent_of(stock_gui_font(), text)) << "text: " << text;
  EXPECT_GT(width("A\nB"), width("A"));
  EXPECT_NO_LEAKS(guard);
}

TEST(StringWidth, TheStockFontMeasuresAsUnderWine) {
  SKIP_IF_NO_LIBERATION_FONTS();
  // Measured under Wine 8 with fonts-liberation.
  EXPECT_EQ(width("AB"), 14);
  EXPECT_EQ(width("A&B"), 14);
  EXPECT_EQ(width("A&&B"), 21);
  EXPECT_EQ(width("A"), 7);
  EXPECT_EQ(width("&"), 7);
  EXPECT_EQ(width("The quick brown fox jumps over the lazy dog"), 218);
}

TEST(StringWidth, TheCallersFontIsUsedAndLeftAsItWas) {
  veneer::test::LeakGuard guard;
  {
    CFont stock;
    stock.Attach(stock_gui_font());
    EXPECT_EQ(width("Stock", &stock), width("Stock")) << "null means the stock GUI font";
    stock.Detach();

    CFont font;
    font.Attach(CreateFontA(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    ASSERT_NE(font.GetSafeHandle(), nullptr);
    LOGFONTA before{}, after{};
    GetObjectA(font.GetSafeHandle(), sizeof before, &before);
    const int measured = width("Wide & bold", &font);
    EXPECT_EQ(measured, extent_of(font.GetSafeHandle(), "Wide  bold"));
    EXPECT_GT(measured, width("Wide & bold"));
    GetObjectA(font.GetSafeHandle(), sizeof after, &after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "the font was changed";
    EXPECT_EQ(GetObjectType(font.GetSafeHandle()), static_cast<DWORD>(OBJ_FONT));
    // A font with no handle cannot be selected: the context's own font measures.
    CFont empty;
    HDC dc = CreateCompatibleDC(nullptr);
    SIZE own{};
    GetTextExtentPoint32A(dc, "AB", 2, &own);
    DeleteDC(dc);
    EXPECT_EQ(width("AB", &empty), own.cx);
  }  // the font is deleted here: nothing of the library's holds it any more
  EXPECT_NO_LEAKS(guard);
}

TEST(StringWidth, FontsThatCannotBeSelectedMeasureInTheContextsOwnFont) {
  veneer::test::LeakGuard guard;
  {
    HDC dc = CreateCompatibleDC(nullptr);
    SIZE own{};
    GetTextExtentPoint32A(dc, "AB", 2, &own);
    DeleteDC(dc);
    // A destroyed font, and a framework font object that holds a brush, are no fonts: the
    // private context keeps its own font, as for a font object without a handle.
    CFont stale;
    stale.Attach(CreateFontA(-30, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    DeleteObject(stale.GetSafeHandle());
    EXPECT_EQ(width("AB", &stale), own.cx);
    stale.Detach();
    CFont brush;
    brush.Attach(CreateSolidBrush(RGB(1, 2, 3)));
    EXPECT_EQ(width("AB", &brush), own.cx);
    EXPECT_EQ(GetObjectType(brush.GetSafeHandle()), static_cast<DWORD>(OBJ_BRUSH)) << "the brush was deleted";
    DeleteObject(brush.Detach());
    EXPECT_EQ(width("", &brush), 0);
  }
  EXPECT_NO_LEAKS(guard);
}

}  // namespace
