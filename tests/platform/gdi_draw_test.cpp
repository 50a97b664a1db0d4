// Conformance of pixels, one-pixel lines and rectangle gradients.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <set>
#include <utility>

#include "tests/support/gdi_conformance.h"
#include "tests/support/leak_guard.h"

namespace {

using namespace veneer::test::gdi;
using veneer::test::LeakGuard;

using Pixels = std::set<std::pair<int, int>>;

Pixels drawn(Canvas& c) {
  Pixels p;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      if (c.at(x, y)) p.insert({x, y});
  return p;
}

TEST(GdiDraw, LinesCoverWin32sPixelsAndLeaveTheLastPoint) {
  LeakGuard guard;
  {
    Canvas c(16, 16);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(c.dc, pen);
    struct Case {
      int x0, y0, x1, y1;
      Pixels pixels;
    } cases[] = {
        {0, 0, 10, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}}},
        {0, 0, 7, 3, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 3}}},
        {7, 3, 0, 0, {{1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 3}, {7, 3}}},
        // Halfway points go to the smaller coordinate, whichever way the line runs.
        {0, 0, 8, 4, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 3}, {7, 3}}},
        {8, 4, 0, 0, {{1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 3}, {7, 3}, {8, 4}}},
        {0, 4, 8, 0, {{7, 0}, {5, 1}, {6, 1}, {3, 2}, {4, 2}, {1, 3}, {2, 3}, {0, 4}}},
        {8, 0, 0, 4, {{7, 0}, {8, 0}, {5, 1}, {6, 1}, {3, 2}, {4, 2}, {1, 3}, {2, 3}}},
        {0, 0, 4, 8, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}, {3, 6}, {3, 7}}},
        {0, 8, 4, 0, {{3, 1}, {3, 2}, {2, 3}, {2, 4}, {1, 5}, {1, 6}, {0, 7}, {0, 8}}},
        {1, 0, 0, 9, {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {0, 5}, {0, 6}, {0, 7}, {0, 8}}},
        {0,
         0,
         12,
         3,
         {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 2}, {8, 2}, {9, 2}, {10, 2}, {11, 3}}},
        {5, 5, 0, 0, {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}},
        {2, 2, 2, 2, {}},
        {-4, -2, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},  // clipped at the surface's edge
    };
    for (const Case& k : cases) {
      c.fill(0);
      POINT position{};
      MoveToEx(c.dc, k.x0, k.y0, nullptr);
      ASSERT_TRUE(LineTo(c.dc, k.x1, k.y1));
      ASSERT_TRUE(GetCurrentPositionEx(c.dc, &position));
      EXPECT_EQ(position.x, k.x1);
      EXPECT_EQ(position.y, k.y1);
      EXPECT_EQ(drawn(c), k.pixels) << k.x0 << "," << k.y0 << " to " << k.x1 << "," << k.y1;
    }
    EXPECT_EQ(c.at(2, 1), 0x00ff0000u);  // the pen's colour, top byte 0
    // A null pen moves the position and draws nothing.
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    c.fill(0);
    MoveToEx(c.dc, 0, 0, nullptr);
    ASSERT_TRUE(LineTo(c.dc, 5, 0));
    EXPECT_TRUE(drawn(c).empty());
    POINT previous{};
    MoveToEx(c.dc, 3, 4, &previous);
    EXPECT_EQ(previous.x, 5);
    SelectObject(c.dc, old);
    DeleteObject(pen);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiDraw, LinesBetweenTheFarEndsOfTheCoordinateRangeCrossTheSurface) {
  // Lines 2^32 pixels long: only their part on the surface is drawn, exactly as a short line
  // through the same pixels, and at once.
  LeakGuard guard;
  {
    Canvas c(8, 8);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(c.dc, pen);
    const int lo = -2147483647 - 1, hi = 2147483647;
    struct Case {
      int x0, y0, x1, y1;
      Pixels pixels;
      bool headless_only = false;
    } cases[] = {
        {lo, 3, hi, 3, {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 3}}},
        // Wine works out this line's extent in 32 bits, which wraps, and draws nothing
        // (Windows itself takes coordinates only within about 2^27 of the origin).
        {5, hi, 5, lo, {{5, 0}, {5, 1}, {5, 2}, {5, 3}, {5, 4}, {5, 5}, {5, 6}, {5, 7}}, true},
        {lo, lo, hi - 1, hi - 1, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
        {hi, lo, lo, hi, {}},  // the other diagonal passes beside the surface
        {lo, lo, lo, hi, {}},
    };
    for (const Case& k : cases) {
#ifdef _WIN32
      if (k.headless_only) continue;
#endif
      c.fill(0);
      MoveToEx(c.dc, k.x0, k.y0, nullptr);
      const auto start = std::chrono::steady_clock::now();
      ASSERT_TRUE(LineTo(c.dc, k.x1, k.y1));
      // Walking every point of such a line takes many seconds; its visible part, none.
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
      EXPECT_EQ(drawn(c), k.pixels) << k.x0 << "," << k.y0 << " to " << k.x1 << "," << k.y1;
    }
    SelectObject(c.dc, old);
    DeleteObject(pen);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiDraw, PensOnMonochromeFollowTheBackgroundColour) {
  MonoCanvas mono(8, 1);
  struct Case {
    COLORREF pen, background;
    std::uint8_t expected;
  } cases[] = {
      {RGB(255, 255, 255), RGB(255, 255, 255), 0xff},
      {RGB(0, 0, 0), RGB(0, 0, 0), 0x00},
      // Other colours: drawn as the background when they equal it, as its opposite otherwise.
      {RGB(128, 128, 128), RGB(255, 255, 255), 0x00},
      {RGB(128, 128, 128), RGB(128, 128, 128), 0xff},
      {RGB(254, 255, 255), RGB(255, 255, 255), 0x00},
      {RGB(255, 0, 0), RGB(255, 0, 0), 0x00},
  };
  for (const Case& k : cases) {
    PatBlt(mono.dc, 0, 0, 8, 1, k.expected ? BLACKNESS : WHITENESS);
    SetBkColor(mono.dc, k.background);
    HPEN pen = CreatePen(PS_SOLID, 1, k.pen);
    HGDIOBJ old = SelectObject(mono.dc, pen);
    MoveToEx(mono.dc, 0, 0, nullptr);
    LineTo(mono.dc, 8, 0);
    SelectObject(mono.dc, old);
    DeleteObject(pen);
    EXPECT_EQ(mono.bytes()[0], k.expected) << std::hex << k.pen << " on " << k.background;
  }
}

TEST(GdiDraw, PixelsReadAndWritten) {
  Canvas c(4, 1);
  c.fill(0);
  EXPECT_EQ(SetPixel(c.dc, 0, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(c.at(0, 0), 0x00010203u);
  c.at(1, 0) = 0xff00ff00;
  EXPECT_EQ(GetPixel(c.dc, 1, 0), RGB(0, 255, 0));  // the top byte is not a colour
  EXPECT_EQ(GetPixel(c.dc, 4, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(c.dc, -1, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(c.dc, 9, 0, RGB(1, 2, 3)), RGB(1, 2, 3));  // outside: nothing changes
  // A colour with bit 24 set is an entry of the default palette.
  EXPECT_EQ(SetPixel(c.dc, 2, 0, PALETTEINDEX(1)), RGB(128, 0, 0));
  EXPECT_EQ(SetPixel(c.dc, 2, 0, 0x80010203), 0x00010203u);  // other top bytes are ignored
  MonoCanvas mono(8, 1);
  EXPECT_EQ(SetPixel(mono.dc, 0, 0, RGB(128, 128, 128)), RGB(255, 255, 255));  // the nearer of black and white
  EXPECT_EQ(SetPixel(mono.dc, 1, 0, RGB(127, 127, 127)), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(mono.dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(mono.dc, 1, 0), RGB(0, 0, 0));
}

std::uint32_t grad(std::uint32_t a, std::uint32_t b, int at, int length) {
  return static_cast<std::uint32_t>((static_cast<long long>(a) * (length - at) + static_cast<long long>(b) * at) /
                                    length) >>
         8;
}

TEST(GdiDraw, GradientRectanglesWithSixteenBitChannels) {
  LeakGuard guard;
  {
    Canvas c(16, 4);
    GRADIENT_RECT mesh{0, 1};
    // The row the notes list: red to blue over ten pixels.
    TRIVERTEX red_blue[2] = {{0, 0, 0xff00, 0, 0, 0}, {10, 1, 0, 0, 0xff00, 0}};
    c.fill(0);
    ASSERT_TRUE(GradientFill(c.dc, red_blue, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    const std::uint32_t row[10] = {0xff0000, 0xe50019, 0xcc0033, 0xb2004c, 0x990066,
                                   0x7f007f, 0x660099, 0x4c00b2, 0x3300cc, 0x1900e5};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(c.at(x, 0), row[x]) << x;
    EXPECT_EQ(c.at(10, 0), 0u);
    EXPECT_EQ(c.at(0, 1), 0u);
    // Every channel blends its 16 bits (alpha included on a 32-bit target), then keeps the high byte.
    TRIVERTEX v[2] = {{0, 0, 0x1234, 0xff00, 0x0080, 0x8000}, {10, 2, 0xabcd, 0x0100, 0xfe00, 0xff00}};
    c.fill(0);
    ASSERT_TRUE(GradientFill(c.dc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    for (int x = 0; x < 10; ++x) {
      std::uint32_t e = grad(0x8000, 0xff00, x, 10) << 24 | grad(0x1234, 0xabcd, x, 10) << 16 |
                        grad(0xff00, 0x0100, x, 10) << 8 | grad(0x0080, 0xfe00, x, 10);
      EXPECT_EQ(c.at(x, 0), e) << x;
      EXPECT_EQ(c.at(x, 1), e) << x;
    }
    EXPECT_EQ(c.at(0, 0), 0x8012ff00u);
    EXPECT_EQ(c.at(1, 0), 0x8c21e519u);
    EXPECT_EQ(c.at(0, 2), 0u);
    // Vertical: one colour per row.
    c.fill(0);
    ASSERT_TRUE(GradientFill(c.dc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(c.at(0, 0), 0x8012ff00u);
    EXPECT_EQ(c.at(9, 1), 0xbf5f807fu);
    EXPECT_EQ(c.at(10, 1), 0u);
    // The vertices may come in either order.
    TRIVERTEX swapped[2] = {v[1], v[0]};
    c.fill(0);
    ASSERT_TRUE(GradientFill(c.dc, swapped, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(c.at(1, 0), 0x8c21e519u);
    // Clipped by the surface: the blend still runs over the whole rectangle.
    TRIVERTEX off[2] = {{-3, 0, 0xff00, 0, 0, 0}, {5, 1, 0, 0, 0xff00, 0}};
    c.fill(0);
    ASSERT_TRUE(GradientFill(c.dc, off, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(c.at(0, 0), 0x009f005fu);
    EXPECT_EQ(c.at(4, 0), 0x001f00dfu);
    // Bad meshes fail; an empty rectangle succeeds without drawing.
    GRADIENT_RECT bad{0, 5};
    EXPECT_FALSE(GradientFill(c.dc, v, 2, &bad, 1, GRADIENT_FILL_RECT_H));
    EXPECT_FALSE(GradientFill(c.dc, v, 0, &mesh, 0, GRADIENT_FILL_RECT_H));
    TRIVERTEX flat[2] = {{2, 0, 0xff00, 0, 0, 0}, {2, 1, 0, 0, 0xff00, 0}};
    EXPECT_TRUE(GradientFill(c.dc, flat, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
  }
  EXPECT_NO_LEAKS(guard);
}

// Long blends, clipped at their start, in both directions and depths: every pixel is the
// channel formula's, whatever way the rows are filled.
TEST(GdiDraw, LongClippedGradientsKeepTheExactBlend) {
  for (int bpp : {32, 24}) {
    for (ULONG mode : {GRADIENT_FILL_RECT_H, GRADIENT_FILL_RECT_V}) {
      const bool vertical = mode == GRADIENT_FILL_RECT_V;
      Canvas c(vertical ? 5 : 700, vertical ? 700 : 3, bpp);
      GRADIENT_RECT mesh{0, 1};
      // Starts 37 pixels before the surface and runs 997 pixels: the surface shows a middle part.
      TRIVERTEX v[2] = {{-37, -37, 0x1234, 0xff00, 0x0080, 0x8000}, {960, 960, 0xabcd, 0x0100, 0xfe00, 0xff01}};
      ASSERT_TRUE(GradientFill(c.dc, v, 2, &mesh, 1, mode));
      auto pixel = [&](int x, int y) {
        std::uint32_t value = 0;
        std::memcpy(&value, c.row(y) + x * (bpp / 8), bpp / 8);
        return value;
      };
      const int length = vertical ? c.height : c.width;
      for (int i = 0; i < length; ++i) {
        const int at = i + 37;
        std::uint32_t e =
            grad(0x1234, 0xabcd, at, 997) << 16 | grad(0xff00, 0x0100, at, 997) << 8 | grad(0x0080, 0xfe00, at, 997);
        if (bpp == 32) e |= grad(0x8000, 0xff01, at, 997) << 24;
        const int x = vertical ? 4 : i, y = vertical ? i : 2;
        ASSERT_EQ(pixel(x, y), e) << bpp << " " << vertical << " " << i;
        ASSERT_EQ(pixel(vertical ? 0 : i, vertical ? i : 0), e) << bpp << " " << vertical << " " << i;
      }
    }
  }
}

TEST(GdiDraw, GradientOnTwentyFourBits) {
  Canvas c(8, 1, 24);
  GRADIENT_RECT mesh{0, 1};
  TRIVERTEX v[2] = {{0, 0, 0xff00, 0x1200, 0x0000, 0}, {7, 1, 0x0000, 0x3400, 0xff00, 0}};
  ASSERT_TRUE(GradientFill(c.dc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
  const std::uint8_t* p = c.row(0);
  const int expected[21] = {0x00, 0x12, 0xff, 0x24, 0x16, 0xda, 0x48, 0x1b, 0xb6, 0x6d, 0x20,
                            0x91, 0x91, 0x25, 0x6d, 0xb6, 0x2a, 0x48, 0xda, 0x2f, 0x24};
  for (int i = 0; i < 21; ++i) EXPECT_EQ(p[i], expected[i]) << i;
}

}  // namespace
