// Conformance of clip regions: how the calls set, narrow, move and report a context's clip
// region, and that every drawing call draws only inside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/leak_guard.h"
#include <veneer/framework/win32_api.h>

namespace {

using veneer::test::Canvas;
using veneer::test::Fill;
using veneer::test::LeakGuard;
using Rects = std::vector<std::vector<LONG>>;

Rects rects_of(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<char> data(size);
  auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
  Rects out;
  if (size == 0 || GetRegionData(region, size, rgn) != size) return out;
  const auto* r = reinterpret_cast<const RECT*>(rgn->Buffer);
  for (DWORD i = 0; i < rgn->rdh.nCount; ++i) out.push_back({r[i].left, r[i].top, r[i].right, r[i].bottom});
  return out;
}

// The context's clip region as rectangles; empty when GetClipRgn reports none (`has` says).
Rects clip_of(HDC dc, int* has = nullptr) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const int result = GetClipRgn(dc, region);
  if (has) *has = result;
  Rects out = result == 1 ? rects_of(region) : Rects{};
  DeleteObject(region);
  return out;
}

std::vector<LONG> clip_box(HDC dc, int* type) {
  RECT box{-1, -1, -1, -1};
  *type = GetClipBox(dc, &box);
  return {box.left, box.top, box.right, box.bottom};
}

TEST(ClipRegion, SelectedAsACopyAndRemoved) {
  Canvas canvas(100, 50);
  LeakGuard leaks;  // after the canvas, which outlives the check
  int has = -2, type = 0;
  EXPECT_TRUE(clip_of(canvas.dc, &has).empty());
  EXPECT_EQ(has, 0);
  EXPECT_EQ(clip_box(canvas.dc, &type), (std::vector<LONG>{0, 0, 100, 50}));
  EXPECT_EQ(type, SIMPLEREGION);

  // Kept as given, past the surface; the box is cut to the surface.
  HRGN region = CreateRectRgn(10, 10, 200, 30);
  EXPECT_EQ(SelectClipRgn(canvas.dc, region), SIMPLEREGION);
  EXPECT_EQ(clip_of(canvas.dc, &has), (Rects{{10, 10, 200, 30}}));
  EXPECT_EQ(has, 1);
  EXPECT_EQ(clip_box(canvas.dc, &type), (std::vector<LONG>{10, 10, 100, 30}));
  EXPECT_EQ(type, SIMPLEREGION);
  // The context holds a copy: the caller's region may change or go.
  SetRectRgn(region, 0, 0, 1, 1);
  EXPECT_EQ(clip_of(canvas.dc), (Rects{{10, 10, 200, 30}}));

  EXPECT_EQ(SelectClipRgn(canvas.dc, nullptr), SIMPLEREGION);
  EXPECT_EQ(clip_of(canvas.dc, &has), Rects{});
  EXPECT_EQ(has, 0);
  EXPECT_EQ(ExtSelectClipRgn(canvas.dc, nullptr, RGN_COPY), SIMPLEREGION);

  // Selecting a region as an object sets the clip too, and answers with its type.
  HRGN two = CreateRectRgn(0, 0, 10, 10);
  HRGN second = CreateRectRgn(20, 20, 30, 30);
  CombineRgn(two, two, second, RGN_OR);
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(SelectObject(canvas.dc, two)), COMPLEXREGION);
  EXPECT_EQ(clip_of(canvas.dc), (Rects{{0, 0, 10, 10}, {20, 20, 30, 30}}));
  EXPECT_EQ(clip_box(canvas.dc, &type), (std::vector<LONG>{0, 0, 30, 30}));
  EXPECT_EQ(type, COMPLEXREGION);

  // The region stays with the context when another bitmap is selected.
  HBITMAP small = CreateCompatibleBitmap(canvas.dc, 20, 20);
  HGDIOBJ old = SelectObject(canvas.dc, small);
  EXPECT_EQ(clip_of(canvas.dc), (Rects{{0, 0, 10, 10}, {20, 20, 30, 30}}));
  EXPECT_EQ(clip_box(canvas.dc, &type), (std::vector<LONG>{0, 0, 20, 20}));
  SelectObject(canvas.dc, old);
  DeleteObject(small);

  // A region wholly off the surface is kept with its own type; the box reports nothing.
  SetRectRgn(region, 200, 200, 300, 300);
  EXPECT_EQ(SelectClipRgn(canvas.dc, region), SIMPLEREGION);
  clip_box(canvas.dc, &type);
  EXPECT_EQ(type, NULLREGION);
  SetRectRgn(region, 0, 0, 0, 0);
  EXPECT_EQ(SelectClipRgn(canvas.dc, region), NULLREGION);
  clip_box(canvas.dc, &type);
  EXPECT_EQ(type, NULLREGION);
  SelectClipRgn(canvas.dc, nullptr);
  for (HRGN r : {region, two, second}) DeleteObject(r);
  EXPECT_NO_LEAKS(leaks);
}

TEST(ClipRegion, CombinedWithTheWholeSurfaceWhenThereIsNone) {
  Canvas canvas(100, 50);
  LeakGuard leaks;  // after the canvas, which outlives the check
  HRGN region = CreateRectRgn(10, 10, 200, 30);
  struct Case {
    int mode, type;
    Rects clip;
  };
  const Case cases[] = {
      {RGN_AND, SIMPLEREGION, {{10, 10, 100, 30}}},
      {RGN_OR, COMPLEXREGION, {{0, 0, 100, 10}, {0, 10, 200, 30}, {0, 30, 100, 50}}},
      {RGN_DIFF, COMPLEXREGION, {{0, 0, 100, 10}, {0, 10, 10, 30}, {0, 30, 100, 50}}},
      {RGN_XOR, COMPLEXREGION, {{0, 0, 100, 10}, {0, 10, 10, 30}, {100, 10, 200, 30}, {0, 30, 100, 50}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    SelectClipRgn(canvas.dc, nullptr);
    EXPECT_EQ(ExtSelectClipRgn(canvas.dc, region, c.mode), c.type);
    EXPECT_EQ(clip_of(canvas.dc), c.clip);
  }
  // A second combination works on the region kept.
  SelectClipRgn(canvas.dc, region);
  HRGN cut = CreateRectRgn(50, 0, 60, 100);
  EXPECT_EQ(ExtSelectClipRgn(canvas.dc, cut, RGN_DIFF), COMPLEXREGION);
  EXPECT_EQ(clip_of(canvas.dc), (Rects{{10, 10, 50, 30}, {60, 10, 200, 30}}));
  // Only a copy may go without a region; modes outside the set fail.
  EXPECT_EQ(ExtSelectClipRgn(canvas.dc, nullptr, RGN_AND), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(canvas.dc, region, 0), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(canvas.dc, region, RGN_COPY + 1), ERROR);
  SelectClipRgn(canvas.dc, nullptr);
  DeleteObject(cut);
  DeleteObject(region);
  EXPECT_NO_LEAKS(leaks);
}

TEST(ClipRegion, NarrowedByRectanglesAndMoved) {
  Canvas canvas(16, 12);
  LeakGuard leaks;  // after the canvas, which outlives the check
  // Corners in any order; the first rectangle becomes the region.
  EXPECT_EQ(IntersectClipRect(canvas.dc, 10, 2, 4, 8), SIMPLEREGION);
  EXPECT_EQ(clip_of(canvas.dc), (Rects{{4, 2, 10, 8}}));
  EXPECT_EQ(IntersectClipRect(canvas.dc, 20, 20, 30, 30), NULLREGION);
  EXPECT_EQ(clip_of(canvas.dc), Rects{});

  SelectClipRgn(canvas.dc, nullptr);
  EXPECT_EQ(ExcludeClipRect(canvas.dc, 10, 2, 4, 8), COMPLEXREGION);
  EXPECT_EQ(clip_of(canvas.dc), (Rects{{0, 0, 16, 2}, {0, 2, 4, 8}, {10, 2, 16, 8}, {0, 8, 16, 12}}));
  EXPECT_EQ(OffsetClipRgn(canvas.dc, 3, 4), COMPLEXREGION);
  EXPECT_EQ(clip_of(canvas.dc), (Rects{{3, 4, 19, 6}, {3, 6, 7, 12}, {13, 6, 19, 12}, {3, 12, 19, 16}}));

  // Moving no region moves nothing and reports a null one.
  SelectClipRgn(canvas.dc, nullptr);
  EXPECT_EQ(OffsetClipRgn(canvas.dc, 3, 4), NULLREGION);
  int has = -2;
  clip_of(canvas.dc, &has);
  EXPECT_EQ(has, 0);
  EXPECT_NO_LEAKS(leaks);
}

TEST(ClipRegion, ScreenContextKeepsTheRectangleAsGiven) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(IntersectClipRect(screen, -10, -10, 5000, 20), SIMPLEREGION);
  EXPECT_EQ(clip_of(screen), (Rects{{-10, -10, 5000, 20}}));
  int type = 0;
  const std::vector<LONG> box = clip_box(screen, &type);
  EXPECT_EQ(box[0], 0);
  EXPECT_EQ(box[1], 0);
  EXPECT_EQ(box[3], 20);
  EXPECT_EQ(box[2], GetDeviceCaps(screen, HORZRES));
  ReleaseDC(nullptr, screen);
}

TEST(ClipRegion, BadHandlesFail) {
  Canvas canvas(8, 8);
  LeakGuard leaks;  // after the canvas, which outlives the check
  HRGN region = CreateRectRgn(0, 0, 4, 4);
  EXPECT_EQ(GetClipRgn(nullptr, region), -1);
  EXPECT_EQ(SelectClipRgn(nullptr, region), ERROR);
  EXPECT_EQ(SelectClipRgn(canvas.dc, reinterpret_cast<HRGN>(canvas.bitmap)), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(nullptr, region, RGN_AND), ERROR);
  EXPECT_EQ(IntersectClipRect(nullptr, 0, 0, 1, 1), ERROR);
  EXPECT_EQ(ExcludeClipRect(nullptr, 0, 0, 1, 1), ERROR);
  EXPECT_EQ(OffsetClipRgn(nullptr, 1, 1), ERROR);
  RECT box;
  EXPECT_EQ(GetClipBox(nullptr, &box), ERROR);
  DeleteObject(region);
  EXPECT_NO_LEAKS(leaks);
}

// Each drawing call, drawn over the whole canvas through a clip of two squares (one of them
// partly off the canvas), changes pixels inside the clip and none outside.
TEST(ClipRegion, EveryDrawingCallStaysInside) {
  constexpr int W = 24, H = 16;
  const COLORREF white = RGB(255, 255, 255);
  Canvas source(W, H, Fill{RGB(200, 0, 0)});
  LeakGuard leaks;  // after the source canvas, which outlives the check
  unsigned bits[W * H];
  for (unsigned& p : bits) p = 0x0000c000;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = W;
  info.bmiHeader.biHeight = H;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  const auto inside = [](int x, int y) { return (x >= 2 && x < 8 && y >= 2 && y < 8) || (x >= 14 && y >= 10); };

  struct Call {
    const char* name;
    std::function<void(HDC)> draw;
    bool fills;  // covers every pixel of the clip
  };
  const std::vector<Call> calls = {
      {"PatBlt", [](HDC dc) { PatBlt(dc, 0, 0, W, H, BLACKNESS); }, true},
      {"BitBlt", [&](HDC dc) { BitBlt(dc, 0, 0, W, H, source.dc, 0, 0, SRCCOPY); }, true},
      {"StretchBlt", [&](HDC dc) { StretchBlt(dc, 0, 0, W, H, source.dc, 0, 0, W / 2, H / 2, SRCCOPY); }, true},
      {"StretchDIBits",
       [&](HDC dc) { StretchDIBits(dc, 0, 0, W, H, 0, 0, W, H, bits, &info, DIB_RGB_COLORS, SRCCOPY); }, true},
      {"GradientFill",
       [](HDC dc) {
         TRIVERTEX v[2] = {{0, 0, 0, 0, 0, 0}, {W, H, 0xff00, 0, 0, 0}};
         GRADIENT_RECT r{0, 1};
         GradientFill(dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H);
       },
       false},
      {"FillRect",
       [&](HDC dc) {
         RECT r{0, 0, W, H};
         FillRect(dc, &r, brush);
       },
       true},
      {"Rectangle",
       [&](HDC dc) {
         HGDIOBJ b = SelectObject(dc, brush);
         Rectangle(dc, -1, -1, W + 1, H + 1);
         SelectObject(dc, b);
       },
       true},
      {"LineTo",
       [&](HDC dc) {
         HGDIOBJ p = SelectObject(dc, pen);
         for (int y = -W; y < H; ++y) {
           MoveToEx(dc, 0, y, nullptr);
           LineTo(dc, W, y + W);
         }
         SelectObject(dc, p);
       },
       true},
      {"SetPixel",
       [](HDC dc) {
         for (int y = 0; y < H; ++y)
           for (int x = 0; x < W; ++x) SetPixelV(dc, x, y, RGB(1, 2, 3));
       },
       true},
      {"TextOut",
       [](HDC dc) {
         SetBkMode(dc, OPAQUE);
         SetBkColor(dc, RGB(0, 0, 0));
         for (int y = -8; y < H; y += 8) TextOutA(dc, -2, y, "MMMMMMMMMM", 10);
       },
       false},
  };
  for (const Call& call : calls) {
    SCOPED_TRACE(call.name);
    Canvas canvas(W, H, Fill{white});
    HRGN clip = CreateRectRgn(2, 2, 8, 8);
    HRGN corner = CreateRectRgn(14, 10, 100, 100);
    CombineRgn(clip, clip, corner, RGN_OR);
    SelectClipRgn(canvas.dc, clip);
    call.draw(canvas.dc);
    int changed_inside = 0, changed_outside = 0, cells_inside = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        const bool changed = canvas.color(x, y) != white;
        if (inside(x, y)) {
          ++cells_inside;
          changed_inside += changed;
        } else {
          changed_outside += changed;
        }
      }
    EXPECT_EQ(changed_outside, 0);
    EXPECT_GT(changed_inside, 0);
    if (call.fills) {
      EXPECT_EQ(changed_inside, cells_inside);
    }
    // GetPixel reads the surface wherever it is, clip or not.
    EXPECT_EQ(GetPixel(canvas.dc, 0, 0), white);
    SelectClipRgn(canvas.dc, nullptr);
    DeleteObject(clip);
    DeleteObject(corner);
  }
  DeleteObject(brush);
  DeleteObject(pen);
  EXPECT_NO_LEAKS(leaks);
}

// A clip region of many rectangles (squares down a diagonal, each in a band of its own): a blit
// draws every pixel of each one and nothing between them.
TEST(ClipRegion, BlitFillsEveryRectangleOfAManyPartRegion) {
  constexpr int W = 20, H = 20, kSquares = 7;
  Canvas source(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) source.at(x, y) = static_cast<std::uint32_t>(y * W + x + 1);
  Canvas canvas(W, H);
  canvas.fill(0x00abcdef);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  for (int i = 0; i < kSquares; ++i) {
    HRGN square = CreateRectRgn(i * 3, i * 3 + 1, i * 3 + 2, i * 3 + 3);
    CombineRgn(clip, clip, square, RGN_OR);
    DeleteObject(square);
  }
  ASSERT_EQ(SelectClipRgn(canvas.dc, clip), COMPLEXREGION);
  ASSERT_TRUE(BitBlt(canvas.dc, 0, 0, W, H, source.dc, 0, 0, SRCCOPY));
  auto inside = [&](int x, int y) {
    for (int i = 0; i < kSquares; ++i)
      if (x >= i * 3 && x < i * 3 + 2 && y >= i * 3 + 1 && y < i * 3 + 3) return true;
    return false;
  };
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      EXPECT_EQ(canvas.at(x, y), inside(x, y) ? source.at(x, y) : 0x00abcdefu) << x << "," << y;
  DeleteObject(clip);
}

// A blit from a context to itself reads the pixels as they were before it, in every part of
// the clip: one part's writes are never another part's source.
TEST(ClipRegion, BlitWithinOneSurfaceReadsThePixelsBeforeIt) {
  Canvas canvas(12, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 12; ++x) canvas.at(x, y) = static_cast<std::uint32_t>(x + 1);
  HRGN clip = CreateRectRgn(0, 0, 5, 2);
  HRGN right = CreateRectRgn(6, 0, 12, 2);
  CombineRgn(clip, clip, right, RGN_OR);
  SelectClipRgn(canvas.dc, clip);
  // The clip is drawn left part first; the right part reads where the left part writes.
  BitBlt(canvas.dc, 4, 0, 8, 2, canvas.dc, 0, 0, SRCCOPY);
  std::vector<std::uint32_t> row;
  for (int x = 0; x < 12; ++x) row.push_back(canvas.at(x, 0));
  EXPECT_EQ(row, (std::vector<std::uint32_t>{1, 2, 3, 4, 1, 6, 3, 4, 5, 6, 7, 8}));
  DeleteObject(clip);
  DeleteObject(right);
}

}  // namespace
