// The names a program written against the ANSI subset expects from the headers: the halves of
// a LARGE_INTEGER, CreateWindowA and the generic names, the memory macros and the ROP2 modes.
#include <gtest/gtest.h>

#include <veneer/framework/win32_api.h>

namespace {

TEST(HeaderNames, LargeIntegerHalves) {
  LARGE_INTEGER li;
  li.QuadPart = 0x0000000500000007LL;
  EXPECT_EQ(li.LowPart, 7u);
  EXPECT_EQ(li.HighPart, 5);
  EXPECT_EQ(li.u.LowPart, 7u);
  li.HighPart = -1;
  EXPECT_EQ(li.QuadPart, static_cast<LONGLONG>(0xFFFFFFFF00000007ULL));
  EXPECT_EQ(li.u.HighPart, -1);
}

TEST(HeaderNames, MemoryMacros) {
  unsigned char a[8], b[8];
  FillMemory(a, sizeof a, 0xAB);
  EXPECT_EQ(a[7], 0xAB);
  ZeroMemory(a, 4);
  EXPECT_EQ(a[3], 0);
  EXPECT_EQ(a[4], 0xAB);
  CopyMemory(b, a, sizeof a);
  EXPECT_EQ(b[0], 0);
  EXPECT_EQ(b[4], 0xAB);
  MoveMemory(a + 1, a, 4);  // overlapping
  EXPECT_EQ(a[4], 0);
  EXPECT_EQ(a[5], 0xAB);
}

TEST(HeaderNames, CreateWindowIsCreateWindowExWithoutExtendedStyle) {
  HWND a = CreateWindowA("Static", "plain", WS_POPUP, 1, 2, 30, 40, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(a, nullptr);
  RECT r;
  GetWindowRect(a, &r);
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.bottom, 42);
  EXPECT_EQ(GetWindowLongA(a, GWL_EXSTYLE), 0);
  HWND b = CreateWindow(TEXT("Static"), TEXT("generic"), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(b, nullptr);
  char text[16] = {};
  GetWindowText(b, text, sizeof text);
  EXPECT_STREQ(text, "generic");
  DestroyWindow(b);
  DestroyWindow(a);
}

TEST(HeaderNames, GenericGdiNamesAndTypes) {
  LOGFONT font{};
  EXPECT_EQ(GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font), static_cast<int>(sizeof font));
  EXPECT_EQ(font.lfHeight, -11);
  WNDCLASS window_class{};
  EXPECT_EQ(sizeof window_class, sizeof(WNDCLASSA));
}

TEST(HeaderNames, BinaryRasterOperationsHaveWin32Values) {
  const int modes[] = {R2_BLACK,   R2_NOTMERGEPEN, R2_MASKNOTPEN, R2_NOTCOPYPEN, R2_MASKPENNOT, R2_NOT,
                       R2_XORPEN,  R2_NOTMASKPEN,  R2_MASKPEN,    R2_NOTXORPEN,  R2_NOP,        R2_MERGENOTPEN,
                       R2_COPYPEN, R2_MERGEPENNOT, R2_MERGEPEN,   R2_WHITE};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(modes[i], i + 1);
  EXPECT_EQ(R2_LAST, R2_WHITE);
}

}  // namespace
