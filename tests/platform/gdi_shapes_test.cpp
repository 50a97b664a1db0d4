// Conformance of round regions, Rectangle, FillRect and FrameRect, StretchDIBits, SetPixelV and
// the system colours: the pixels and scan lines Win32 (Wine) gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/leak_guard.h"
#include <veneer/framework/win32_api.h>

namespace {

using veneer::test::Canvas;
using veneer::test::Fill;
using veneer::test::LeakGuard;

// A region's covered spans, row by row: "y:x1-x2 x1-x2;" (empty rectangles left out, as they
// cover nothing).
std::string scan_lines(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<char> data(size);
  auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
  if (size == 0 || GetRegionData(region, size, rgn) != size) return "error";
  const auto* r = reinterpret_cast<const RECT*>(rgn->Buffer);
  std::string out;
  for (DWORD i = 0; i < rgn->rdh.nCount; ++i) {
    if (r[i].left >= r[i].right) continue;
    for (LONG y = r[i].top; y < r[i].bottom; ++y)
      out += std::to_string(y) + ":" + std::to_string(r[i].left) + "-" + std::to_string(r[i].right) + ";";
  }
  return out;
}

std::string take_scan_lines(HRGN region) {
  std::string s = region ? scan_lines(region) : "null";
  DeleteObject(region);
  return s;
}

TEST(RoundRegions, EllipseAndRoundedRectangleScanLines) {
  LeakGuard leaks;
  EXPECT_EQ(take_scan_lines(CreateEllipticRgn(0, 0, 10, 10)), "0:3-6;1:1-8;2:1-8;3:0-9;4:0-9;5:0-9;6:1-8;7:1-8;8:3-6;");
  // Corners in any order.
  const std::string offset = "7:11-18;8:8-21;9:7-22;10:6-23;11:5-24;12:5-24;13:5-24;14:6-23;15:7-22;16:8-21;17:11-18;";
  EXPECT_EQ(take_scan_lines(CreateEllipticRgn(5, 7, 25, 19)), offset);
  EXPECT_EQ(take_scan_lines(CreateEllipticRgn(25, 19, 5, 7)), offset);
  const RECT rect{5, 7, 25, 19};
  EXPECT_EQ(take_scan_lines(CreateEllipticRgnIndirect(&rect)), offset);

  const std::string rounded = "0:2-17;1:1-18;2:0-19;3:0-19;4:0-19;5:0-19;6:0-19;7:0-19;8:0-19;9:1-18;10:2-17;";
  EXPECT_EQ(take_scan_lines(CreateRoundRectRgn(0, 0, 20, 12, 6, 6)), rounded);
  EXPECT_EQ(take_scan_lines(CreateRoundRectRgn(0, 0, 20, 12, -6, -6)), rounded);
  // Corners larger than the rectangle are cut to it: an ellipse.
  EXPECT_EQ(take_scan_lines(CreateRoundRectRgn(0, 0, 20, 12, 100, 100)),
            "0:6-13;1:3-16;2:2-17;3:1-18;4:0-19;5:0-19;6:0-19;7:1-18;8:2-17;9:3-16;10:6-13;");
  // Corners under two pixels leave the rectangle (without its right column and bottom row).
  EXPECT_EQ(take_scan_lines(CreateRoundRectRgn(0, 0, 4, 3, 1, 5)), "0:0-3;1:0-3;");
  EXPECT_EQ(take_scan_lines(CreateEllipticRgn(0, 0, 3, 2)), "0:0-2;");
  EXPECT_NO_LEAKS(leaks);
}

// FNV-1a over the scan lines of many sizes: a digest recorded under Wine.
std::uint64_t digest(std::uint64_t h, const std::string& s) {
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return h;
}

TEST(RoundRegions, ManySizesAsWin32MakesThem) {
  LeakGuard leaks;
  std::uint64_t ellipses = 14695981039346656037ull;
  for (int w = 8; w <= 34; ++w)
    for (int h = 8; h <= 34; ++h) ellipses = digest(ellipses, take_scan_lines(CreateEllipticRgn(0, 0, w, h)));
  EXPECT_EQ(ellipses, 3139846198873624045ull);
  std::uint64_t rounded = 14695981039346656037ull;
  for (int w : {9, 10, 12, 13, 16, 20, 33})
    for (int h : {9, 10, 12, 13, 16, 20, 33})
      for (int ew = 8; ew <= w + 3; ++ew)
        for (int eh = 8; eh <= h + 3; eh += 3)
          rounded = digest(rounded, take_scan_lines(CreateRoundRectRgn(0, 0, w, h, ew, eh)));
  EXPECT_EQ(rounded, 13587434337950927181ull);
  EXPECT_NO_LEAKS(leaks);
}

// A canvas as characters: '.' white, 'R' red, 'G' green, 'B' blue, '#' black, '?' other.
std::vector<std::string> picture(const Canvas& canvas) {
  std::vector<std::string> rows;
  for (int y = 0; y < canvas.height; ++y) {
    std::string row;
    for (int x = 0; x < canvas.width; ++x) {
      const COLORREF c = canvas.color(x, y);
      row += c == RGB(255, 255, 255) ? '.'
             : c == RGB(255, 0, 0)   ? 'R'
             : c == RGB(0, 255, 0)   ? 'G'
             : c == RGB(0, 0, 255)   ? 'B'
             : c == RGB(0, 0, 0)     ? '#'
                                     : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(Shapes, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  Canvas canvas(16, 12, Fill{RGB(255, 255, 255)});
  LeakGuard leaks;  // after the canvas, which outlives the check
  HPEN green = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
  HPEN none = CreatePen(PS_NULL, 1, 0);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ old_pen = SelectObject(canvas.dc, green);
  HGDIOBJ old_brush = SelectObject(canvas.dc, blue);
  EXPECT_TRUE(Rectangle(canvas.dc, 1, 1, 6, 5));
  EXPECT_TRUE(Rectangle(canvas.dc, 13, 5, 8, 1));   // inverted
  EXPECT_TRUE(Rectangle(canvas.dc, 14, 7, 15, 8));  // one pixel: nothing
  EXPECT_TRUE(Rectangle(canvas.dc, 14, 9, 16, 11));
  EXPECT_TRUE(Rectangle(canvas.dc, 6, 7, 7, 10));  // one column: a line
  SelectObject(canvas.dc, GetStockObject(NULL_PEN));
  EXPECT_TRUE(Rectangle(canvas.dc, 1, 7, 6, 11));
  SelectObject(canvas.dc, none);
  EXPECT_TRUE(Rectangle(canvas.dc, 8, 7, 10, 9));
  EXPECT_TRUE(Rectangle(canvas.dc, 11, 7, 12, 9));  // one column without a pen: nothing
  SelectObject(canvas.dc, green);
  SelectObject(canvas.dc, GetStockObject(NULL_BRUSH));
  EXPECT_TRUE(Rectangle(canvas.dc, 8, 9, 13, 12));
  EXPECT_TRUE(Rectangle(canvas.dc, -2000000000, -2000000000, 2000000000, 2000000000));  // far outside
  POINT position{-1, -1};
  GetCurrentPositionEx(canvas.dc, &position);
  EXPECT_EQ(position.x, 0);  // the current position does not move
  EXPECT_EQ(picture(canvas), (std::vector<std::string>{
                                 "................",
                                 ".GGGGG..GGGGG...",
                                 ".GBBBG..GBBBG...",
                                 ".GBBBG..GBBBG...",
                                 ".GGGGG..GGGGG...",
                                 "................",
                                 "................",
                                 ".BBBB.G.B.......",
                                 ".BBBB.G.........",
                                 ".BBBB.G.GGGGG.GG",
                                 "........G...G.GG",
                                 "........GGGGG...",
                             }));
  EXPECT_FALSE(Rectangle(nullptr, 0, 0, 2, 2));
  SelectObject(canvas.dc, old_pen);
  SelectObject(canvas.dc, old_brush);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(green), static_cast<HGDIOBJ>(none), static_cast<HGDIOBJ>(blue)})
    DeleteObject(o);
  EXPECT_NO_LEAKS(leaks);
}

TEST(Shapes, FillRectAndFrameRect) {
  Canvas canvas(16, 12, Fill{RGB(255, 255, 255)});
  LeakGuard leaks;  // after the canvas, which outlives the check
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  const RECT fill{1, 1, 4, 3}, inverted{8, 3, 6, 1}, empty{10, 1, 10, 5}, system{11, 1, 13, 3};
  EXPECT_TRUE(FillRect(canvas.dc, &fill, red));
  EXPECT_TRUE(FillRect(canvas.dc, &inverted, blue));  // filled as PatBlt fills negative extents
  EXPECT_TRUE(FillRect(canvas.dc, &empty, blue));
  // A system colour index plus one stands for that colour's brush.
  EXPECT_TRUE(FillRect(canvas.dc, &system, reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_WINDOWTEXT + 1))));
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));

  const RECT frame{1, 5, 6, 9}, thin{14, 5, 15, 11}, inverted_frame{12, 9, 8, 5}, empty_frame{7, 10, 7, 11};
  EXPECT_TRUE(FrameRect(canvas.dc, &frame, red));
  EXPECT_TRUE(FrameRect(canvas.dc, &thin, red));
  EXPECT_FALSE(FrameRect(canvas.dc, &inverted_frame, blue));
  EXPECT_FALSE(FrameRect(canvas.dc, &empty_frame, red));
  EXPECT_FALSE(FrameRect(canvas.dc, &frame, nullptr));
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  const char t = text == RGB(0, 0, 0) ? '#' : '?';
  EXPECT_EQ(picture(canvas), (std::vector<std::string>{
                                 "................",
                                 std::string(".RRR.......") + t + t + "...",
                                 std::string(".RRR...BB..") + t + t + "...",
                                 ".......BB.......",
                                 "................",
                                 ".RRRRR........R.",
                                 ".R...R........R.",
                                 ".R...R........R.",
                                 ".RRRRR........R.",
                                 "..............R.",
                                 "..............R.",
                                 "................",
                             }));
  DeleteObject(red);
  DeleteObject(blue);
  EXPECT_NO_LEAKS(leaks);
}

TEST(Shapes, SystemColourBrushesBelongToTheSystem) {
  for (int index : {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_HIGHLIGHT}) {
    HBRUSH brush = GetSysColorBrush(index);
    ASSERT_NE(brush, nullptr);
    LOGBRUSH lb{};
    ASSERT_EQ(GetObjectA(brush, sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(lb.lbColor, GetSysColor(index));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetSysColorBrush(index), brush);
  }
  EXPECT_EQ(GetSysColorBrush(99), nullptr);
  EXPECT_EQ(GetSysColorBrush(-1), nullptr);
}

TEST(Shapes, SetPixelVSaysWhetherTheContextWasGood) {
  Canvas canvas(4, 4, Fill{RGB(255, 255, 255)});
  EXPECT_TRUE(SetPixelV(canvas.dc, 1, 2, RGB(255, 0, 0)));
  EXPECT_EQ(canvas.color(1, 2), RGB(255, 0, 0));
  EXPECT_TRUE(SetPixelV(canvas.dc, 100, 100, RGB(255, 0, 0)));
  EXPECT_FALSE(SetPixelV(nullptr, 1, 1, RGB(255, 0, 0)));
}

// Source pixels 0x10 + index in memory order; the picture shows 'a' + (pixel - 0x10).
std::vector<std::string> letters(const Canvas& canvas) {
  std::vector<std::string> rows;
  for (int y = 0; y < canvas.height; ++y) {
    std::string row;
    for (int x = 0; x < canvas.width; ++x) {
      const std::uint32_t p = canvas.at(x, y) & 0xffffff;
      row += p == 0xffffff ? '.' : p >= 0x10 && p < 0x10 + 26 ? static_cast<char>('a' + p - 0x10) : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(Shapes, StretchDIBitsCountsSourceRowsFromTheBottom) {
  LeakGuard leaks;
  std::uint32_t src[12];
  for (std::uint32_t i = 0; i < 12; ++i) src[i] = 0x10 + i;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 3;  // bottom-up: "abcd" is the bottom row
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  {
    Canvas canvas(12, 8, Fill{RGB(255, 255, 255)});
    EXPECT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 3, 0, 0, 4, 3, src, &info, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(StretchDIBits(canvas.dc, 5, 0, 2, 2, 1, 1, 2, 2, src, &info, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(StretchDIBits(canvas.dc, 0, 4, 8, 4, 0, 0, 4, 2, src, &info, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(letters(canvas), (std::vector<std::string>{
                                   "ijkl.jk.....",
                                   "efgh.fg.....",
                                   "abcd........",
                                   "............",
                                   "eeffgghh....",
                                   "eeffgghh....",
                                   "aabbccdd....",
                                   "aabbccdd....",
                               }));
  }
  {
    info.bmiHeader.biHeight = -3;  // top-down: "abcd" is the top row, rows still count from the bottom
    Canvas canvas(12, 8, Fill{RGB(255, 255, 255)});
    EXPECT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 3, 0, 0, 4, 3, src, &info, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(StretchDIBits(canvas.dc, 5, 0, 2, 2, 1, 1, 2, 2, src, &info, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(StretchDIBits(canvas.dc, 9, 0, -2, 3, 0, 0, 2, 3, src, &info, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(StretchDIBits(canvas.dc, 0, 4, 6, 4, 2, 1, 6, 4, src, &info, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(letters(canvas), (std::vector<std::string>{
                                   "abcd.bc.ba..",
                                   "efgh.fg.fe..",
                                   "ijkl....ji..",
                                   "............",
                                   "............",
                                   "............",
                                   "cd..........",
                                   "gh..........",
                               }));
    EXPECT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 3, 0, 0, 4, 3, nullptr, &info, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 3, 0, 0, 4, 3, src, nullptr, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(StretchDIBits(nullptr, 0, 0, 4, 3, 0, 0, 4, 3, src, &info, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 3, 0, 0, 0, 3, src, &info, DIB_RGB_COLORS, SRCCOPY), 0);
  }
  EXPECT_NO_LEAKS(leaks);
}

}  // namespace
