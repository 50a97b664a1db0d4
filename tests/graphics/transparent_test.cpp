// Colour-keyed drawing and overlays: key-coloured pixels leave the target as it was, every
// other pixel of the block arrives unchanged.
#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "tests/support/drawing_fixtures.h"
#include "tests/support/leak_guard.h"
#include <veneer/veneer.h>

namespace veneer::test {
namespace {

class TransparentDrawing : public GdiTest {};
class Overlay : public GdiTest {};

// A skin with key-coloured pixels scattered at the given density, and black ones too (the
// colour the mask technique blackens transparent pixels with).
std::vector<COLORREF> random_skin(int width, int height, int key_percent) {
  std::vector<COLORREF> colours(static_cast<std::size_t>(width) * height);
  std::uniform_int_distribution<int> percent(0, 99), byte(0, 255);
  for (COLORREF& c : colours) {
    const int p = percent(test_rng());
    c = p < key_percent       ? kKey
        : p < key_percent + 5 ? RGB(0, 0, 0)
                              : RGB(byte(test_rng()), byte(test_rng()), byte(test_rng()));
  }
  return colours;
}

void make_skin(CBitmap& bitmap, int width, const std::vector<COLORREF>& colours) {
  const int height = static_cast<int>(colours.size()) / width;
  make_dib32(bitmap, width, height, [&](int x, int y) { return colours[static_cast<std::size_t>(y) * width + x]; });
}

// The target after drawing the block at source into dest with the key: key pixels keep the
// target's pixel, the others replace it.
std::vector<COLORREF> expected_after(const Canvas& canvas, const std::vector<COLORREF>& skin, int skin_width,
                                     CPoint source, const CRect& dest, COLORREF key) {
  std::vector<COLORREF> out = canvas.colors();
  for (int y = dest.top; y < dest.bottom; ++y)
    for (int x = dest.left; x < dest.right; ++x) {
      if (!canvas.contains(x, y)) continue;
      const COLORREF p =
          skin[static_cast<std::size_t>(source.y + y - dest.top) * skin_width + source.x + x - dest.left];
      if (p != key) out[static_cast<std::size_t>(y) * canvas.width + x] = p;
    }
  return out;
}

// A context that records the colour operations made through the object.
class WatchedDC : public CDC {
 public:
  COLORREF SetBkColor(COLORREF color) override {
    calls.emplace_back("bk", color);
    return CDC::SetBkColor(color);
  }
  COLORREF SetTextColor(COLORREF color) override {
    calls.emplace_back("text", color);
    return CDC::SetTextColor(color);
  }
  std::vector<std::pair<std::string, COLORREF>> calls;
};

TEST_F(TransparentDrawing, KeyPixelsKeepTheTargetAndOthersArriveUnchanged) {
  for (int density : {0, 20, 60, 100}) {
    SCOPED_TRACE(density);
    const auto colours = random_skin(40, 30, density);
    CBitmap skin;
    make_skin(skin, 40, colours);
    const auto skin_bits = bitmap_bits(static_cast<HBITMAP>(skin.m_hObject));
    Canvas canvas(32, 32, kBackground);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) canvas.set_color(x, y, RGB(x * 8, y * 8, 77));
    HDC dc = canvas.cdc().m_hDC;
    SetBkColor(dc, RGB(255, 0, 0));
    SetTextColor(dc, RGB(0, 0, 255));
    const DcState before = dc_state(dc);
    const CRect dest(5, 4, 25, 30);
    const auto want = expected_after(canvas, colours, 40, CPoint(13, 2), dest, kKey);
    AfxDrawTransBitmap(&canvas.cdc(), &skin, CPoint(13, 2), dest, kKey);
    EXPECT_EQ(canvas.colors(), want);
    EXPECT_EQ(dc_state(dc), before) << dc_state(dc).describe();
    EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(skin.m_hObject)), skin_bits) << "the source was changed";
  }
}

TEST_F(TransparentDrawing, DrawsWhatTheWholeBitmapCopyDraws) {
  // Copying only the block changes nothing in the result: same target, same pixels.
  std::uniform_int_distribution<int> coordinate(0, 40);
  for (int round = 0; round < 30; ++round) {
    const int sx = coordinate(test_rng()), sy = coordinate(test_rng());
    const int w = 1 + coordinate(test_rng()) % (60 - sx), h = 1 + coordinate(test_rng()) % (50 - sy);
    const CPoint source(sx, sy);
    const CRect dest(coordinate(test_rng()) - 10, coordinate(test_rng()) - 10, 0, 0);
    const CRect block(dest.left, dest.top, dest.left + w, dest.top + h);
    const COLORREF key = round % 3 == 0 ? RGB(0, 0, 0) : kKey;
    const auto colours = random_skin(60, 50, 25);
    CBitmap skin;
    make_skin(skin, 60, colours);
    Canvas ours(48, 48, kBackground), theirs(48, 48, kBackground);
    for (Canvas* c : {&ours, &theirs})
      for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) c->set_color(x, y, RGB(x * 5, 255 - y * 5, (x * y) & 255));
    AfxDrawTransBitmap(&ours.cdc(), &skin, source, block, key);
    whole_copy_trans(theirs.cdc().m_hDC, static_cast<HBITMAP>(skin.m_hObject), source, block, key);
    ASSERT_EQ(ours.colors(), theirs.colors()) << "round " << round;
  }
}

TEST_F(TransparentDrawing, AnyColourCanBeTheKeyBlackIncluded) {
  const auto colours = random_skin(24, 24, 30);
  CBitmap skin;
  make_skin(skin, 24, colours);
  for (COLORREF key : {RGB(0, 0, 0), colours[5], RGB(1, 2, 3)}) {
    Canvas canvas(24, 24, Fill{RGB(90, 90, 90)});
    const auto want = expected_after(canvas, colours, 24, CPoint(0, 0), CRect(0, 0, 24, 24), key);
    AfxDrawTransBitmap(&canvas.cdc(), &skin, CPoint(0, 0), CRect(0, 0, 24, 24), key);
    EXPECT_EQ(canvas.colors(), want) << std::hex << key;
  }
}

TEST_F(TransparentDrawing, ABlockWithoutKeyPixelsIsAPlainCopy) {
  const auto colours = random_skin(20, 20, 0);
  CBitmap skin;
  make_skin(skin, 20, colours);
  Canvas trans(20, 20, kBackground), plain(20, 20, kBackground);
  AfxDrawTransBitmap(&trans.cdc(), &skin, CPoint(3, 4), CRect(1, 2, 15, 18), kKey);
  AfxDrawNormalBitmap(&plain.cdc(), &skin, CPoint(3, 4), CRect(1, 2, 15, 18));
  EXPECT_EQ(trans.colors(), plain.colors());
}

TEST_F(TransparentDrawing, ColoursGoThroughTheTargetObjectsOwnOperations) {
  const auto colours = random_skin(8, 8, 30);
  CBitmap skin;
  make_skin(skin, 8, colours);
  Canvas canvas(8, 8, kBackground);
  WatchedDC watched;
  watched.Attach(canvas.cdc().m_hDC);
  ::SetBkColor(watched.m_hDC, RGB(1, 1, 1));
  ::SetTextColor(watched.m_hDC, RGB(2, 2, 2));
  const auto want = expected_after(canvas, colours, 8, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  AfxDrawTransBitmap(&watched, &skin, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  watched.Detach();
  const std::vector<std::pair<std::string, COLORREF>> expected = {
      {"bk", RGB(255, 255, 255)}, {"text", RGB(0, 0, 0)}, {"bk", RGB(1, 1, 1)}, {"text", RGB(2, 2, 2)}};
  EXPECT_EQ(watched.calls, expected);
  EXPECT_EQ(canvas.colors(), want);
}

TEST_F(TransparentDrawing, NothingIsDrawnWithoutABitmapOrWhenItCannotBeSelected) {
  const auto colours = random_skin(8, 8, 30);
  CBitmap skin, empty;
  make_skin(skin, 8, colours);
  Canvas canvas(8, 8, kBackground);
  const auto pixels = canvas.colors();
  const DcState before = dc_state(canvas.cdc().m_hDC);
  AfxDrawTransBitmap(&canvas.cdc(), nullptr, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  AfxDrawTransBitmap(&canvas.cdc(), &empty, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  AfxDrawTransBitmap(&canvas.cdc(), &skin, CPoint(0, 0), CRect(4, 4, 4, 8), kKey);
  // A skin the host keeps selected in a context of its own cannot be read: rather than a
  // black block from an empty copy, nothing.
  HDC holder = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(holder, skin.m_hObject);
  AfxDrawTransBitmap(&canvas.cdc(), &skin, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  SelectObject(holder, previous);
  DeleteDC(holder);
  EXPECT_EQ(canvas.colors(), pixels);
  EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
  skin.DeleteObject();
}

TEST_F(Overlay, OnlyTheOverlaysNonKeyPixelsAreWrittenIntoTheBase) {
  const auto base_colours = random_skin(100, 100, 10);
  const auto overlay_colours = random_skin(16, 16, 40);
  for (CPoint pos : {CPoint(10, 20), CPoint(90, 95), CPoint(-5, -3), CPoint(100, 10)}) {
    SCOPED_TRACE(::testing::Message() << pos.x << "," << pos.y);
    CBitmap base, overlay;
    make_skin(base, 100, base_colours);
    make_skin(overlay, 16, overlay_colours);
    const auto overlay_bits = bitmap_bits(static_cast<HBITMAP>(overlay.m_hObject));
    AfxOverlapBitmap(&base, &overlay, pos);
    const auto got = bitmap_colours(static_cast<HBITMAP>(base.m_hObject));
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) {
        const int ox = x - pos.x, oy = y - pos.y;
        COLORREF want = base_colours[y * 100 + x];
        if (ox >= 0 && ox < 16 && oy >= 0 && oy < 16 && overlay_colours[oy * 16 + ox] != kKey)
          want = overlay_colours[oy * 16 + ox];
        ASSERT_EQ(got[y * 100 + x], want) << "at (" << x << "," << y << ")";
      }
    EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(overlay.m_hObject)), overlay_bits);
  }
}

TEST_F(Overlay, WithoutEitherBitmapTheBaseIsUnchanged) {
  CBitmap base, overlay, empty;
  make_skin(base, 10, random_skin(10, 10, 0));
  make_skin(overlay, 4, random_skin(4, 4, 0));
  const auto bits = bitmap_bits(static_cast<HBITMAP>(base.m_hObject));
  AfxOverlapBitmap(&base, nullptr, CPoint(0, 0));
  AfxOverlapBitmap(&base, &empty, CPoint(0, 0));
  AfxOverlapBitmap(&empty, &overlay, CPoint(0, 0));
  AfxOverlapBitmap(nullptr, &overlay, CPoint(0, 0));
  EXPECT_EQ(empty.m_hObject, nullptr);
  // The base over itself cannot be read while it is being written: left as it was.
  AfxOverlapBitmap(&base, &base, CPoint(2, 2));
  EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(base.m_hObject)), bits);
  base.DeleteObject();
  overlay.DeleteObject();
}

TEST_F(TransparentDrawing, BadTargetsBitmapsAndRectanglesDrawNothing) {
  const auto colours = random_skin(8, 8, 30);
  CBitmap skin, stale;
  make_skin(skin, 8, colours);
  make_skin(stale, 8, colours);
  DeleteObject(stale.m_hObject);  // the object still holds the number of a destroyed bitmap
  CDC unattached;
  AfxDrawTransBitmap(nullptr, &skin, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  AfxDrawTransBitmap(&unattached, &skin, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  EXPECT_EQ(unattached.m_hDC, nullptr);
  Canvas canvas(8, 8, kBackground);
  const auto pixels = canvas.colors();
  const DcState before = dc_state(canvas.cdc().m_hDC);
  AfxDrawTransBitmap(&canvas.cdc(), &stale, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  stale.Detach();
  const int big = INT_MAX, small = INT_MIN;
  for (CRect dest : {CRect(8, 8, 0, 0), CRect(0, 0, -5, 8), CRect(small, small, small + 8, small + 8),
                     CRect(big - 8, big - 8, big, big), CRect(small, 0, big, 8) /* width wraps */})
    AfxDrawTransBitmap(&canvas.cdc(), &skin, CPoint(0, 0), dest, kKey);
  EXPECT_EQ(canvas.colors(), pixels);
  EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
  // A block partly or wholly outside the bitmap: what the mask technique draws, which is
  // black where the block has no pixels (the unread part of the working copy).
  for (CPoint source : {CPoint(big, big), CPoint(small, small), CPoint(8, 0), CPoint(-4, 2)}) {
    SCOPED_TRACE(::testing::Message() << source.x << "," << source.y);
    Canvas library(8, 8, kBackground), reference(8, 8, kBackground);
    AfxDrawTransBitmap(&library.cdc(), &skin, source, CRect(0, 0, 8, 8), kKey);
    whole_copy_trans(reference.cdc().m_hDC, static_cast<HBITMAP>(skin.m_hObject), source, CRect(0, 0, 8, 8), kKey);
    EXPECT_EQ(library.colors(), reference.colors());
    if (source.x == big) {
      EXPECT_EQ(library.color(3, 3), RGB(0, 0, 0));
    }
  }
  skin.DeleteObject();
}

// Only the part of a destination that lands on the target is drawn, with the same pixels as a
// destination made of that part alone.
TEST_F(TransparentDrawing, AHugeDestinationDrawsWhatItsVisiblePartDraws) {
  const auto colours = random_skin(8, 8, 30);
  CBitmap skin;
  make_skin(skin, 8, colours);
  Canvas huge(64, 48, kBackground), part(64, 48, kBackground), away(64, 48, kBackground);
  // The block's pixels from (2, 2) land at the canvas's corner; past the bitmap it is black.
  AfxDrawTransBitmap(&huge.cdc(), &skin, CPoint(-1498, -1498), CRect(-1500, -1500, 1500, 1500), kKey);
  AfxDrawTransBitmap(&part.cdc(), &skin, CPoint(2, 2), CRect(0, 0, 64, 48), kKey);
  EXPECT_EQ(huge.colors(), part.colors());
  const auto untouched = away.colors();
  AfxDrawTransBitmap(&away.cdc(), &skin, CPoint(0, 0), CRect(100000, 100000, 103000, 103000), kKey);
  AfxDrawTransBitmap(&away.cdc(), &skin, CPoint(0, 0), CRect(-3000, 0, 0, 3000), kKey);
  EXPECT_EQ(away.colors(), untouched);
  skin.DeleteObject();
}

#ifndef _WIN32
// What a draw costs, counted by the platform: bitmaps made and their bytes.
struct DrawCost {
  std::size_t bitmaps;
  std::uint64_t bytes;
  bool operator==(const DrawCost&) const = default;
};

template <typename Draw>
DrawCost cost_of(Draw draw) {
  using namespace veneer::headless::testing;
  reset_creation_counts();
  const std::uint64_t before = bitmap_bytes_made();
  draw();
  return DrawCost{creations(ObjectKind::Bitmap), bitmap_bytes_made() - before};
}

TEST_F(TransparentDrawing, AHugeOrFarOffDestinationCostsWhatItsVisiblePartCosts) {
  const auto colours = random_skin(8, 8, 30);
  CBitmap skin;
  make_skin(skin, 8, colours);
  Canvas canvas(64, 48, kBackground);
  auto draw = [&](CPoint source, CRect dest) {
    return cost_of([&] { AfxDrawTransBitmap(&canvas.cdc(), &skin, source, dest, kKey); });
  };
  const DrawCost visible = draw(CPoint(2, 2), CRect(0, 0, 64, 48));
  EXPECT_EQ(visible.bitmaps, 2u) << "the mask and the colour copy";
  EXPECT_EQ(draw(CPoint(-1498, -1498), CRect(-1500, -1500, 1500, 1500)), visible);
  EXPECT_EQ(draw(CPoint(0, 0), CRect(100000, 100000, 103000, 103000)), (DrawCost{0, 0})) << "wholly off the target";
  // The overlay draws into a context holding the base: the base's edges bound it.
  CBitmap base, overlay;
  make_skin(base, 16, random_skin(16, 16, 0));
  make_skin(overlay, 300, random_skin(300, 300, 30));
  Canvas base_sized(16, 16, kBackground);
  const DrawCost sixteen =
      cost_of([&] { AfxDrawTransBitmap(&base_sized.cdc(), &skin, CPoint(0, 0), CRect(0, 0, 16, 16), kKey); });
  EXPECT_EQ(cost_of([&] { AfxOverlapBitmap(&base, &overlay, CPoint(-100, -100)); }), sixteen);
  EXPECT_EQ(cost_of([&] { AfxOverlapBitmap(&base, &skin, CPoint(5000, 5000)); }), (DrawCost{0, 0}));
  base.DeleteObject();
  overlay.DeleteObject();
  skin.DeleteObject();
}
#endif

TEST_F(Overlay, BitmapsOfEveryDepthStaleHandlesAndFarPositions) {
  // A monochrome overlay has no key colour: it arrives whole, in black and white.
  CBitmap base, mono;
  make_skin(base, 8, random_skin(8, 8, 0));
  make_ddb(mono, 8, 2, 1, {0xF0, 0x00, 0x0F, 0x00});
  AfxOverlapBitmap(&base, &mono, CPoint(0, 3));
  auto got = bitmap_colours(static_cast<HBITMAP>(base.m_hObject));
  for (int y = 3; y < 5; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool white = y == 3 ? x < 4 : x >= 4;
      EXPECT_EQ(got[static_cast<std::size_t>(y * 8 + x)], white ? RGB(255, 255, 255) : RGB(0, 0, 0)) << x << "," << y;
    }
  // A 24-bit base takes a 32-bit overlay's non-key pixels as a 32-bit base does.
  if (platform_has_depth(24)) {
    CBitmap base24, overlay;
    make_dib(base24, 6, 6, 24);
    const auto base_colours = bitmap_colours(static_cast<HBITMAP>(base24.m_hObject));
    const auto overlay_colours = random_skin(4, 4, 40);
    make_skin(overlay, 4, overlay_colours);
    AfxOverlapBitmap(&base24, &overlay, CPoint(1, 1));
    got = bitmap_colours(static_cast<HBITMAP>(base24.m_hObject));
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) {
        const int ox = x - 1, oy = y - 1;
        COLORREF want = base_colours[static_cast<std::size_t>(y * 6 + x)];
        if (ox >= 0 && ox < 4 && oy >= 0 && oy < 4 && overlay_colours[static_cast<std::size_t>(oy * 4 + ox)] != kKey)
          want = overlay_colours[static_cast<std::size_t>(oy * 4 + ox)];
        EXPECT_EQ(got[static_cast<std::size_t>(y * 6 + x)], want) << x << "," << y;
      }
    base24.DeleteObject();
    overlay.DeleteObject();
  }
  // Stale handles on either side and positions far off the base: the base is unchanged.
  CBitmap stale;
  make_skin(stale, 4, random_skin(4, 4, 0));
  DeleteObject(stale.m_hObject);
  const auto bits = bitmap_bits(static_cast<HBITMAP>(base.m_hObject));
  AfxOverlapBitmap(&base, &stale, CPoint(0, 0));
  AfxOverlapBitmap(&stale, &mono, CPoint(0, 0));
  stale.Detach();
  for (CPoint pos :
       {CPoint(INT_MAX, INT_MAX), CPoint(INT_MIN, INT_MIN), CPoint(INT_MAX - 3, 0), CPoint(8, 0), CPoint(0, -2)})
    AfxOverlapBitmap(&base, &mono, pos);
  EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(base.m_hObject)), bits);
  base.DeleteObject();
  mono.DeleteObject();
}

#ifndef _WIN32
TEST_F(TransparentDrawing, EveryFailedCreationLeavesTheTargetAsItWas) {
  const auto colours = random_skin(16, 16, 30);
  sweep_creation_failures([&](FaultRun& run) {
    LeakGuard guard;
    {
      CBitmap skin;
      make_skin(skin, 16, colours);
      Canvas canvas(16, 16, kBackground);
      ::SetBkColor(canvas.cdc().m_hDC, RGB(3, 4, 5));
      const auto pixels = canvas.colors();
      const auto want = expected_after(canvas, colours, 16, CPoint(2, 2), CRect(0, 0, 14, 14), kKey);
      const DcState before = dc_state(canvas.cdc().m_hDC);
      run.arm();
      AfxDrawTransBitmap(&canvas.cdc(), &skin, CPoint(2, 2), CRect(0, 0, 14, 14), kKey);
      run.disarm();
      EXPECT_EQ(canvas.colors(), run.faulted ? pixels : want);
      EXPECT_EQ(dc_state(canvas.cdc().m_hDC), before);
      skin.DeleteObject();
    }
    EXPECT_NO_LEAKS(guard);
  });
}

TEST_F(Overlay, EveryFailedCreationLeavesTheBaseAsItWas) {
  const auto base_colours = random_skin(20, 20, 0);
  const auto overlay_colours = random_skin(8, 8, 30);
  sweep_creation_failures([&](FaultRun& run) {
    LeakGuard guard;
    {
      CBitmap base, overlay;
      make_skin(base, 20, base_colours);
      make_skin(overlay, 8, overlay_colours);
      run.arm();
      AfxOverlapBitmap(&base, &overlay, CPoint(3, 3));
      run.disarm();
      const bool unchanged = bitmap_colours(static_cast<HBITMAP>(base.m_hObject)) == base_colours;
      EXPECT_EQ(unchanged, run.faulted);
      base.DeleteObject();
      overlay.DeleteObject();
    }
    EXPECT_NO_LEAKS(guard);
  });
}
#endif

}  // namespace
}  // namespace veneer::test
