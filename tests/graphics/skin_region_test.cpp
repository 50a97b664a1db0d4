// Skin regions: the bitmap's rectangle less its key-coloured pixels, compared as sets with
// the region that subtracting one square per key pixel gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "tests/support/dib_section.h"
#include "tests/support/drawing_fixtures.h"
#include "tests/support/leak_guard.h"
#include <veneer/veneer.h>

namespace veneer::test {
namespace {

class SkinRegion : public GdiTest {};

// The region built the slow, obvious way: the whole rectangle, then one unit square taken
// away for every pixel that reads as the key colour.
HRGN per_pixel_region(HBITMAP bitmap) {
  const BITMAP record = bitmap_record(bitmap);
  HRGN region = CreateRectRgn(0, 0, record.bmWidth, record.bmHeight);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  for (int x = 0; x < record.bmWidth; ++x)
    for (int y = 0; y < record.bmHeight; ++y)
      if (GetPixel(dc, x, y) == kKey) {
        HRGN square = CreateRectRgn(x, y, x + 1, y + 1);
        CombineRgn(region, region, square, RGN_DIFF);
        DeleteObject(square);
      }
  SelectObject(dc, previous);
  DeleteDC(dc);
  return region;
}

// Key pixels in small holes and scattered single pixels, about `percent` of them.
std::function<COLORREF(int, int)> holes(int percent, unsigned seed) {
  auto colours = std::make_shared<std::mt19937>(seed);
  const unsigned threshold = static_cast<unsigned>(percent) * (0xFFFFFFFFu / 100);
  return [colours, threshold, percent](int, int) -> COLORREF {
    const unsigned r = (*colours)();
    if (percent == 100 || (percent > 0 && r < threshold)) return kKey;
    // Colours one step from the key must stay in the region.
    switch (r % 5) {
      case 0:
        return RGB(254, 0, 255);
      case 1:
        return RGB(255, 1, 255);
      default:
        return RGB(r >> 8, r >> 16, r >> 24);
    }
  };
}

std::string region_text(HRGN region) {
  RECT box{};
  const int type = GetRgnBox(region, &box);
  return "type " + std::to_string(type) + " box (" + std::to_string(box.left) + "," + std::to_string(box.top) + ")-(" +
         std::to_string(box.right) + "," + std::to_string(box.bottom) + ")";
}

// AfxCreateSkinRegion of the bitmap gives the region the per-pixel way gives.
void expect_per_pixel_region(CBitmap& bitmap) {
  CRgn region;
  ASSERT_EQ(AfxCreateSkinRegion(&bitmap, &region), 1);
  HRGN reference = per_pixel_region(static_cast<HBITMAP>(bitmap.m_hObject));
  EXPECT_TRUE(EqualRgn(static_cast<HRGN>(region.m_hObject), reference))
      << region_text(static_cast<HRGN>(region.m_hObject)) << " vs " << region_text(reference);
  DeleteObject(reference);
}

// Fills a 32-bit DIB section in the given row order, with its unused top byte set at random
// (it is not part of the colour), and expects AfxCreateSkinRegion to give the per-pixel region.
void expect_section_gives_per_pixel_region(int width, int height, bool bottom_up,
                                           const std::function<COLORREF(int, int)>& colour) {
  void* bits = nullptr;
  CBitmap bitmap;
  ASSERT_TRUE(
      bitmap.Attach(make_dib_section(width, height, 32, &bits, bottom_up ? RowOrder::BottomUp : RowOrder::TopDown)));
  auto* p = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      const std::uint32_t top_byte = static_cast<std::uint32_t>(test_rng()()) & 0xFF000000u;
      p[(bottom_up ? height - 1 - y : y) * width + x] = top_byte | static_cast<std::uint32_t>(GetRValue(c)) << 16 |
                                                        static_cast<std::uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
    }
  expect_per_pixel_region(bitmap);
}

TEST_F(SkinRegion, EqualsThePerPixelRegionOnRandomBitmaps) {
  std::uniform_int_distribution<int> side(1, 70);
  const int densities[] = {0, 1, 5, 20, 50, 80, 99, 100};
  unsigned seed = 1;
  for (int round = 0; round < 40; ++round) {
    const int width = side(test_rng()), height = side(test_rng()), density = densities[round % 8];
    SCOPED_TRACE(::testing::Message() << width << "x" << height << ", " << density << "% key");
    CBitmap bitmap;
    make_dib32(bitmap, width, height, holes(density, ++seed));
    expect_per_pixel_region(bitmap);
  }
}

// DIB sections in either row order, with their unused top byte set at random (it is not part
// of the colour), read straight from their bits: the region is still the per-pixel one.
TEST_F(SkinRegion, BottomUpSectionsAndTheUnusedByteGiveThePerPixelRegion) {
  std::uniform_int_distribution<int> side(1, 140);
  unsigned seed = 100;
  for (int round = 0; round < 24; ++round) {
    const int width = side(test_rng()), height = 1 + side(test_rng()) / 4, density = (round % 4) * 25 + 10;
    const bool bottom_up = round % 2 == 0;
    SCOPED_TRACE(::testing::Message() << width << "x" << height << ", " << density << "% key, "
                                      << (bottom_up ? "bottom-up" : "top-down"));
    expect_section_gives_per_pixel_region(width, height, bottom_up, holes(density, ++seed));
  }
}

// The rows of a section lie in memory in either order, and nothing in its record says which:
// sections whose first rows equal their mirrors (top and bottom rows alike) are read the right
// way up too, and so are sections whose every row equals its mirror.
TEST_F(SkinRegion, SectionsWhoseOuterRowsMirrorEachOtherGiveThePerPixelRegion) {
  const int width = 23, height = 17;
  for (int mirrored_rows : {0, 1, 5, 7, height}) {
    // Row y and row height-1-y are alike for y < mirrored_rows; past that, rows differ.
    auto colour = [mirrored_rows](int x, int y) -> COLORREF {
      const int mirror = height - 1 - y;
      const int row = std::min(y, mirror) < mirrored_rows ? std::min(y, mirror) : y;
      return (x * 3 + row * 5) % 7 == 0 || x == row ? kKey : RGB(row, x, 40);
    };
    for (bool bottom_up : {false, true}) {
      SCOPED_TRACE(::testing::Message() << mirrored_rows << " mirrored rows, "
                                        << (bottom_up ? "bottom-up" : "top-down"));
      expect_section_gives_per_pixel_region(width, height, bottom_up, colour);
    }
  }
}

TEST_F(SkinRegion, DeviceBitmapsAndRowsOfIdenticalRunsGiveTheSameRegion) {
  // Wide bands of equal rows (merged into tall rectangles) between rows that differ.
  auto banded = [](int x, int y) {
    if (y >= 10 && y < 20) return x % 7 == 3 ? kKey : RGB(1, 2, 3);
    if (y == 25) return x < 40 ? kKey : RGB(4, 5, 6);
    return (x + y) % 13 == 0 ? kKey : RGB(7, 8, 9);
  };
  CBitmap dib, ddb;
  make_dib32(dib, 97, 43, banded);
  // The same pixels in a 32-bit device bitmap.
  std::vector<BYTE> bits;
  for (int y = 0; y < 43; ++y)
    for (int x = 0; x < 97; ++x) {
      const COLORREF c = banded(x, y);
      bits.insert(bits.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
    }
  make_ddb(ddb, 97, 43, 32, bits);
  for (CBitmap* bitmap : {&dib, &ddb}) {
    CRgn region;
    ASSERT_EQ(AfxCreateSkinRegion(bitmap, &region), 1);
    HRGN reference = per_pixel_region(static_cast<HBITMAP>(bitmap->m_hObject));
    EXPECT_TRUE(EqualRgn(static_cast<HRGN>(region.m_hObject), reference));
    DeleteObject(reference);
  }
}

TEST_F(SkinRegion, SmallCasesByPixel) {
  struct Case {
    int width, height;
    std::function<COLORREF(int, int)> colour;
    std::vector<POINT> outside;
  };
  const std::vector<Case> cases = {
      {3,
       2,
       [](int x, int y) { return (x == 1 && y == 0) || (x == 2 && y == 1) ? kKey : RGB(0, 0, 0); },
       {{1, 0}, {2, 1}}},
      {4, 4, [](int, int) { return RGB(254, 0, 255); }, {}},
      {2, 3, [](int, int) { return kKey; }, {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}}},
  };
  for (const Case& c : cases) {
    CBitmap bitmap;
    make_dib32(bitmap, c.width, c.height, c.colour);
    CRgn region;
    ASSERT_EQ(AfxCreateSkinRegion(&bitmap, &region), 1);
    const HRGN r = static_cast<HRGN>(region.m_hObject);
    for (int y = -1; y <= c.height; ++y)
      for (int x = -1; x <= c.width; ++x) {
        bool in = x >= 0 && y >= 0 && x < c.width && y < c.height;
        for (POINT p : c.outside)
          if (p.x == x && p.y == y) in = false;
        EXPECT_EQ(PtInRegion(r, x, y) != 0, in) << c.width << "x" << c.height << " at (" << x << "," << y << ")";
      }
  }
}

TEST_F(SkinRegion, ReplacesTheCallersRegionAndFreesTheBitmap) {
  CBitmap bitmap;
  make_dib32(bitmap, 5, 5, [](int x, int) { return x == 0 ? kKey : RGB(9, 9, 9); });
  CRgn region;
  region.CreateRectRgn(0, 0, 100, 100);
  const HGDIOBJ old = region.m_hObject;
  ASSERT_EQ(AfxCreateSkinRegion(&bitmap, &region), 1);
  EXPECT_EQ(GetObjectType(old), 0u) << "the region it held still exists";
  RECT box{};
  EXPECT_EQ(GetRgnBox(static_cast<HRGN>(region.m_hObject), &box), SIMPLEREGION);
  EXPECT_EQ(CRect(box), CRect(1, 0, 5, 5));
  // The bitmap is no longer selected anywhere.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap.m_hObject);
  EXPECT_NE(previous, nullptr);
  SelectObject(dc, previous);
  DeleteDC(dc);
  region.DeleteObject();
  bitmap.DeleteObject();
}

TEST_F(SkinRegion, GivesZeroAndKeepsTheRegionWhenItCannotBeBuilt) {
  CBitmap bitmap, empty;
  make_dib32(bitmap, 5, 5, [](int, int) { return kKey; });
  CRgn region;
  region.CreateRectRgn(1, 2, 3, 4);
  const HGDIOBJ held = region.m_hObject;
  EXPECT_EQ(AfxCreateSkinRegion(nullptr, &region), 0);
  EXPECT_EQ(AfxCreateSkinRegion(&empty, &region), 0);
  EXPECT_EQ(AfxCreateSkinRegion(&bitmap, nullptr), 0);
  // A bitmap selected into the host's own context cannot be read.
  HDC holder = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(holder, bitmap.m_hObject);
  EXPECT_EQ(AfxCreateSkinRegion(&bitmap, &region), 0);
  SelectObject(holder, previous);
  DeleteDC(holder);
  EXPECT_EQ(region.m_hObject, held);
  RECT box{};
  EXPECT_EQ(GetRgnBox(static_cast<HRGN>(held), &box), SIMPLEREGION);
  EXPECT_EQ(CRect(box), CRect(1, 2, 3, 4));
  region.DeleteObject();
  bitmap.DeleteObject();
}

TEST_F(SkinRegion, BitmapsOfEveryDepthStaleHandlesAndRegionObjectsWithoutARegion) {
  // Monochrome has no key colour: the whole rectangle. 24 bits: the key is cut out as in 32.
  CBitmap mono, deep24;
  make_ddb(mono, 13, 3, 1, std::vector<BYTE>(6, 0x5A));
  std::vector<CBitmap*> bitmaps = {&mono};
  if (platform_has_depth(24)) {
    void* bits = nullptr;
    ASSERT_TRUE(deep24.Attach(make_dib_section(7, 5, 24, &bits, RowOrder::BottomUp)));
    auto* p = static_cast<BYTE*>(bits);
    for (int i = 0; i < 5 * 24; i += 3) {  // rows of 21 bytes and 3 of padding; every fourth pixel the key
      const bool key = (i / 3) % 4 == 0;
      p[i] = key ? 255 : 1;
      p[i + 1] = 0;
      p[i + 2] = key ? 255 : 2;
    }
    bitmaps.push_back(&deep24);
  }
  for (CBitmap* bitmap : bitmaps) {
    CRgn unattached;  // a region object that holds no region yet gets one
    ASSERT_EQ(AfxCreateSkinRegion(bitmap, &unattached), 1);
    HRGN reference = per_pixel_region(static_cast<HBITMAP>(bitmap->m_hObject));
    EXPECT_TRUE(EqualRgn(static_cast<HRGN>(unattached.m_hObject), reference));
    DeleteObject(reference);
    unattached.DeleteObject();
  }
  RECT box{};
  CRgn whole;
  ASSERT_EQ(AfxCreateSkinRegion(&mono, &whole), 1);
  EXPECT_EQ(GetRgnBox(static_cast<HRGN>(whole.m_hObject), &box), SIMPLEREGION);
  EXPECT_EQ(CRect(box), CRect(0, 0, 13, 3));

  // A destroyed bitmap handle cannot be read: 0, and the region stays.
  CBitmap stale;
  make_dib32(stale, 3, 3, [](int, int) { return RGB(1, 2, 3); });
  DeleteObject(stale.m_hObject);
  const HGDIOBJ held = whole.m_hObject;
  EXPECT_EQ(AfxCreateSkinRegion(&stale, &whole), 0);
  EXPECT_EQ(whole.m_hObject, held);
  stale.Detach();
  // A region object holding a destroyed region gets the new one.
  CRgn stale_region;
  stale_region.CreateRectRgn(0, 0, 1, 1);
  DeleteObject(stale_region.m_hObject);
  ASSERT_EQ(AfxCreateSkinRegion(&mono, &stale_region), 1);
  EXPECT_EQ(GetRgnBox(static_cast<HRGN>(stale_region.m_hObject), &box), SIMPLEREGION);
  EXPECT_EQ(CRect(box), CRect(0, 0, 13, 3));
  stale_region.DeleteObject();
  whole.DeleteObject();
  mono.DeleteObject();
  deep24.DeleteObject();
}

#ifndef _WIN32
TEST_F(SkinRegion, EveryFailedCreationGivesZeroAndKeepsTheRegion) {
  // Big enough for several bands of rows and several chunks of rectangles.
  for (auto [width, height] : {std::pair{9, 7}, std::pair{700, 1600}}) {
    sweep_creation_failures([&](FaultRun& run) {
      LeakGuard guard;
      {
        CBitmap bitmap;
        make_dib32(bitmap, width, height, [](int x, int y) { return (x * 7 + y * 3) % 11 == 0 ? kKey : RGB(1, 1, 1); });
        CRgn region;
        region.CreateRectRgn(1, 2, 3, 4);
        const HGDIOBJ held = region.m_hObject;
        run.arm();
        const int result = AfxCreateSkinRegion(&bitmap, &region);
        run.disarm();
        EXPECT_EQ(result, run.faulted ? 0 : 1);
        if (run.faulted) {
          EXPECT_EQ(region.m_hObject, held);
        }
        region.DeleteObject();
        bitmap.DeleteObject();
      }
      EXPECT_NO_LEAKS(guard);
    });
  }
}
#endif

// A measurement, run by hand: a 1024 x 768 skin with a fifth of its pixels key-coloured in
// small holes, built by the library and by per-pixel subtraction.
TEST_F(SkinRegion, DISABLED_MeasureAgainstPerPixelSubtraction) {
  CBitmap bitmap;
  std::mt19937 rng(7);
  std::vector<bool> key(1024 * 768, false);
  while (std::count(key.begin(), key.end(), true) < 1024 * 768 / 5) {
    const int x = static_cast<int>(rng() % 1022), y = static_cast<int>(rng() % 766),
              w = 1 + static_cast<int>(rng() % 3);
    for (int dy = 0; dy < w; ++dy)
      for (int dx = 0; dx < w; ++dx) key[(y + dy) * 1024 + x + dx] = true;
  }
  make_dib32(bitmap, 1024, 768, [&](int x, int y) { return key[y * 1024 + x] ? kKey : RGB(x & 255, y & 255, 9); });
  using clock = std::chrono::steady_clock;
  using ms = std::chrono::duration<double, std::milli>;
  CRgn region;
  double fastest = 1e9;
  for (int run = 0; run < 5; ++run) {  // the fastest of five: the machine may be busy
    region.DeleteObject();
    const auto t0 = clock::now();
    ASSERT_EQ(AfxCreateSkinRegion(&bitmap, &region), 1);
    fastest = std::min(fastest, ms(clock::now() - t0).count());
  }
  const auto t1 = clock::now();
  HRGN reference = per_pixel_region(static_cast<HBITMAP>(bitmap.m_hObject));
  const double per_pixel = ms(clock::now() - t1).count();
  EXPECT_TRUE(EqualRgn(static_cast<HRGN>(region.m_hObject), reference));
  DeleteObject(reference);
  std::printf(
      "%lu rectangles; library %.1f ms, per pixel %.1f ms\n",
      static_cast<unsigned long>(
          (GetRegionData(static_cast<HRGN>(region.m_hObject), 0, nullptr) - sizeof(RGNDATAHEADER)) / sizeof(RECT)),
      fastest, per_pixel);
}

}  // namespace
}  // namespace veneer::test
