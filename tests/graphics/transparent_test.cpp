// Colour-keyed drawing and overlays: key-coloured pixels leave the target as it was, every
// other pixel of the block arrives unchanged.
#include <gtest/gtest.h>

#include <utility>

#include "include/veneer/veneer.h"
#include "tests/graphics/gdi_fixtures.h"
#include "tests/support/leak_guard.h"

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
    c = p < key_percent ? kKey : p < key_percent + 5 ? RGB(0, 0, 0) : RGB(byte(test_rng()), byte(test_rng()), byte(test_rng()));
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
  std::vector<COLORREF> out = canvas.pixels();
  for (int y = dest.top; y < dest.bottom; ++y)
    for (int x = dest.left; x < dest.right; ++x) {
      if (!canvas.contains(x, y)) continue;
      const COLORREF p = skin[static_cast<std::size_t>(source.y + y - dest.top) * skin_width + source.x + x - dest.left];
      if (p != key) out[static_cast<std::size_t>(y) * canvas.width() + x] = p;
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
    Canvas canvas(32, 32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) canvas.set(x, y, RGB(x * 8, y * 8, 77));
    HDC dc = canvas.dc().m_hDC;
    SetBkColor(dc, RGB(255, 0, 0));
    SetTextColor(dc, RGB(0, 0, 255));
    const DcState before = dc_state(dc);
    const CRect dest(5, 4, 25, 30);
    const auto want = expected_after(canvas, colours, 40, CPoint(13, 2), dest, kKey);
    AfxDrawTransBitmap(&canvas.dc(), &skin, CPoint(13, 2), dest, kKey);
    EXPECT_EQ(canvas.pixels(), want);
    EXPECT_EQ(dc_state(dc), before) << dc_state(dc).describe();
    EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(skin.m_hObject)), skin_bits) << "the source was changed";
  }
}

TEST_F(TransparentDrawing, AnyColourCanBeTheKeyBlackIncluded) {
  const auto colours = random_skin(24, 24, 30);
  CBitmap skin;
  make_skin(skin, 24, colours);
  for (COLORREF key : {RGB(0, 0, 0), colours[5], RGB(1, 2, 3)}) {
    Canvas canvas(24, 24, RGB(90, 90, 90));
    const auto want = expected_after(canvas, colours, 24, CPoint(0, 0), CRect(0, 0, 24, 24), key);
    AfxDrawTransBitmap(&canvas.dc(), &skin, CPoint(0, 0), CRect(0, 0, 24, 24), key);
    EXPECT_EQ(canvas.pixels(), want) << std::hex << key;
  }
}

TEST_F(TransparentDrawing, ABlockWithoutKeyPixelsIsAPlainCopy) {
  const auto colours = random_skin(20, 20, 0);
  CBitmap skin;
  make_skin(skin, 20, colours);
  Canvas trans(20, 20), plain(20, 20);
  AfxDrawTransBitmap(&trans.dc(), &skin, CPoint(3, 4), CRect(1, 2, 15, 18), kKey);
  AfxDrawNormalBitmap(&plain.dc(), &skin, CPoint(3, 4), CRect(1, 2, 15, 18));
  EXPECT_EQ(trans.pixels(), plain.pixels());
}

TEST_F(TransparentDrawing, ColoursGoThroughTheTargetObjectsOwnOperations) {
  const auto colours = random_skin(8, 8, 30);
  CBitmap skin;
  make_skin(skin, 8, colours);
  Canvas canvas(8, 8);
  WatchedDC watched;
  watched.Attach(canvas.dc().m_hDC);
  ::SetBkColor(watched.m_hDC, RGB(1, 1, 1));
  ::SetTextColor(watched.m_hDC, RGB(2, 2, 2));
  const auto want = expected_after(canvas, colours, 8, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  AfxDrawTransBitmap(&watched, &skin, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  watched.Detach();
  const std::vector<std::pair<std::string, COLORREF>> expected = {
      {"bk", RGB(255, 255, 255)}, {"text", RGB(0, 0, 0)}, {"bk", RGB(1, 1, 1)}, {"text", RGB(2, 2, 2)}};
  EXPECT_EQ(watched.calls, expected);
  EXPECT_EQ(canvas.pixels(), want);
}

TEST_F(TransparentDrawing, NothingIsDrawnWithoutABitmapOrWhenItCannotBeSelected) {
  const auto colours = random_skin(8, 8, 30);
  CBitmap skin, empty;
  make_skin(skin, 8, colours);
  Canvas canvas(8, 8);
  const auto pixels = canvas.pixels();
  const DcState before = dc_state(canvas.dc().m_hDC);
  AfxDrawTransBitmap(&canvas.dc(), nullptr, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  AfxDrawTransBitmap(&canvas.dc(), &empty, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  AfxDrawTransBitmap(&canvas.dc(), &skin, CPoint(0, 0), CRect(4, 4, 4, 8), kKey);
  // A skin the host keeps selected in a context of its own cannot be read: rather than a
  // black block from an empty copy, nothing.
  HDC holder = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(holder, skin.m_hObject);
  AfxDrawTransBitmap(&canvas.dc(), &skin, CPoint(0, 0), CRect(0, 0, 8, 8), kKey);
  SelectObject(holder, previous);
  DeleteDC(holder);
  EXPECT_EQ(canvas.pixels(), pixels);
  EXPECT_EQ(dc_state(canvas.dc().m_hDC), before);
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

#ifndef _WIN32
TEST_F(TransparentDrawing, EveryFailedCreationLeavesTheTargetAsItWas) {
  const auto colours = random_skin(16, 16, 30);
  sweep_creation_failures([&](FaultRun& run) {
    LeakGuard guard;
    {
      CBitmap skin;
      make_skin(skin, 16, colours);
      Canvas canvas(16, 16);
      ::SetBkColor(canvas.dc().m_hDC, RGB(3, 4, 5));
      const auto pixels = canvas.pixels();
      const auto want = expected_after(canvas, colours, 16, CPoint(2, 2), CRect(0, 0, 14, 14), kKey);
      const DcState before = dc_state(canvas.dc().m_hDC);
      run.arm();
      AfxDrawTransBitmap(&canvas.dc(), &skin, CPoint(2, 2), CRect(0, 0, 14, 14), kKey);
      run.disarm();
      EXPECT_EQ(canvas.pixels(), run.faulted ? pixels : want);
      EXPECT_EQ(dc_state(canvas.dc().m_hDC), before);
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
