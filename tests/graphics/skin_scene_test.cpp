// One skinned scene drawn through the library, compared pixel for pixel between platforms.
//
// The scene uses every drawing export: strips with caps and stretched middles, plain and
// stretched blits (enlarged with the target's default mode, shrunk with COLORONCOLOR),
// transparent buttons, an overlay reaching past its base's edges, a gradient, lines in
// several slopes, a gray copy and a skin region. It is drawn deterministically into a
// 32-bit DIB section, and each row's hash is compared with the hashes recorded from real
// Win32 (Wine, 64-bit) in skin_scene_reference.inc.
//
// By design a platform may differ in HALFTONE stretching, whose filter is its own; the
// scene does not use it.
//
// To record the reference again: VENEER_PRINT_SCENE=1 veneer_tests.exe
// --gtest_filter=SkinScene.* under Wine prints the file's new content. VENEER_SCENE_PPM=path
// writes the scene as a PPM picture, to look at a difference.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/support/drawing_fixtures.h"
#include <veneer/veneer.h>

namespace veneer::test {
namespace {

class SkinScene : public GdiTest {};

constexpr int kWidth = 160, kHeight = 120;

const std::uint64_t kReferenceRows[kHeight] = {
#include "tests/graphics/skin_scene_reference.inc"
};

// The skin: a title strip with rounded, key-coloured corners, a side strip, a button face
// with key-coloured corners, and a patterned area with holes.
COLORREF skin_pixel(int x, int y) {
  if (y < 12 && x < 40) {  // title strip, 40 x 12
    if ((x < 2 || x >= 38) && y < 2) return kKey;
    return RGB(40 + x * 4, 60 + y * 10, 160 - x * 2);
  }
  if (x >= 40 && x < 48 && y < 30) return RGB(200 - y * 5, 100 + (x - 40) * 15, 50);  // side strip, 8 x 30
  if (x >= 48 && y < 16) {                                                            // button face, 16 x 16
    const int bx = x - 48, by = y;
    if ((bx < 3 || bx > 12) && (by < 3 || by > 12) && (bx + by) % 2 == 0) return kKey;
    return RGB(230 - by * 8, 180 + bx * 4, 40 + bx * by);
  }
  if ((x * 13 + y * 7) % 17 == 0) return kKey;  // scattered holes
  return RGB((x * 37) & 255, (y * 53) & 255, ((x + y) * 11) & 255);
}

COLORREF overlay_pixel(int x, int y) {
  if ((x - 8) * (x - 8) + (y - 8) * (y - 8) > 49) return kKey;  // a disc
  return RGB(255 - x * 10, 30 + y * 12, 128);
}

void draw_scene(Canvas& canvas) {
  CDC& dc = canvas.cdc();
  CBitmap skin, overlay;
  make_dib32(skin, 64, 48, skin_pixel);
  make_dib32(overlay, 16, 16, overlay_pixel);

  CRect whole(0, 0, kWidth, kHeight);
  AfxGradientFillRect(&dc, whole, RGB(30, 40, 90), RGB(200, 210, 250), 1);
  CRect band(100, 90, 156, 116);
  AfxGradientFillRect(&dc, band, 0x01FF8000, RGB(0, 128, 255), 0);

  // Window frame: title strip (caps 6, middle 28 columns to 148, 12 rows to 16) and two
  // side strips with default caps.
  AfxDrawHoriRectEx(&dc, &skin, CPoint(0, 0), 40, 12, CRect(0, 0, 160, 16), 6, 6);
  AfxDrawVertRect(&dc, &skin, CPoint(40, 0), 8, 30, CRect(0, 16, 8, 120));
  AfxDrawVertRectEx(&dc, &skin, CPoint(40, 0), 8, 30, CRect(152, 16, 160, 120), 3, 9);
  AfxDrawRect(&dc, &skin, CPoint(0, 2), 11, 8, CRect(10, 104, 90, 112));

  // Plain and stretched blits: enlarged with the default mode, shrunk with COLORONCOLOR.
  AfxDrawNormalBitmap(&dc, &skin, CPoint(5, 20), CRect(10, 20, 40, 44));
  AfxDrawStretchBitmap(&dc, &skin, CPoint(20, 30), 7, 5, CRect(42, 20, 65, 37));
  const int mode = SetStretchBltMode(dc.m_hDC, COLORONCOLOR);
  AfxDrawStretchBitmap(&dc, &skin, CPoint(0, 16), 20, 20, CRect(68, 20, 81, 27));
  AfxDrawStretchBitmap(&dc, &skin, CPoint(30, 12), 9, 30, CRect(84, 20, 97, 31));
  SetStretchBltMode(dc.m_hDC, mode);

  // Transparent buttons, one over another's edge.
  AfxDrawTransBitmap(&dc, &skin, CPoint(48, 0), CRect(20, 50, 36, 66), kKey);
  AfxDrawTransBitmap(&dc, &skin, CPoint(48, 0), CRect(30, 58, 46, 74), kKey);
  AfxDrawTransBitmap(&dc, &skin, CPoint(0, 16), CRect(50, 50, 80, 70), kKey);

  // An overlay composed into a copy of the skin, partly past its edges, then drawn.
  CBitmap composed;
  ASSERT_EQ(AfxCopyBitmap(&skin, &composed), 1);
  AfxOverlapBitmap(&composed, &overlay, CPoint(20, 20));
  AfxOverlapBitmap(&composed, &overlay, CPoint(56, 40));
  AfxOverlapBitmap(&composed, &overlay, CPoint(-6, -4));
  AfxDrawNormalBitmap(&dc, &composed, CPoint(0, 0), CRect(90, 36, 154, 84));

  // A gray copy.
  CBitmap gray;
  ASSERT_EQ(AfxCopyBitmap(&skin, &gray), 1);
  AfxConvertToGray24(&gray);
  AfxDrawNormalBitmap(&dc, &gray, CPoint(0, 16), CRect(10, 76, 58, 100));

  // Lines of several slopes, and the current position moved by the last one.
  AfxDrawSingleLine(&dc, CPoint(10, 46), CPoint(80, 46), RGB(255, 255, 0));
  AfxDrawSingleLine(&dc, CPoint(85, 40), CPoint(85, 100), RGB(0, 255, 255));
  AfxDrawSingleLine(&dc, CPoint(60, 75), CPoint(88, 103), RGB(255, 0, 0));
  AfxDrawSingleLine(&dc, CPoint(60, 100), CPoint(88, 91), RGB(0, 255, 0));
  AfxDrawSingleLine(&dc, CPoint(70, 70), CPoint(62, 86), RGB(255, 255, 255));
  AfxDrawSingleLine(&dc, CPoint(120, 100), CPoint(100, 93), RGB(0, 0, 0));

  // The skin's region, shown by inverting the pixels inside it.
  CRgn region;
  ASSERT_EQ(AfxCreateSkinRegion(&skin, &region), 1);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      if (PtInRegion(static_cast<HRGN>(region.m_hObject), x, y) && canvas.contains(96 + x, 70 + y))
        canvas.set_color(96 + x, 70 + y, canvas.color(96 + x, 70 + y) ^ 0xFFFFFF);
}

std::uint64_t row_hash(const std::vector<COLORREF>& pixels, int y) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (int x = 0; x < kWidth; ++x) {
    const COLORREF c = pixels[static_cast<std::size_t>(y) * kWidth + x];
    for (int shift = 0; shift < 24; shift += 8) h = (h ^ ((c >> shift) & 0xFF)) * 1099511628211ull;
  }
  return h;
}

void write_ppm(const char* path, const std::vector<COLORREF>& pixels) {
  if (FILE* f = std::fopen(path, "wb")) {
    std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
    for (COLORREF c : pixels) {
      const unsigned char rgb[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
      std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
  }
}

TEST_F(SkinScene, MatchesTheSceneDrawnOnWin32) {
  Canvas canvas(kWidth, kHeight, Fill{RGB(0, 0, 0)});
  const DcState before = dc_state(canvas.cdc().m_hDC);
  draw_scene(canvas);
  DcState after = dc_state(canvas.cdc().m_hDC);
  EXPECT_EQ(after.position.x, 100);
  EXPECT_EQ(after.position.y, 93);
  after.position = before.position;
  EXPECT_EQ(after, before) << after.describe();

  const std::vector<COLORREF> pixels = canvas.colors();
  if (const char* path = std::getenv("VENEER_SCENE_PPM")) write_ppm(path, pixels);
  if (std::getenv("VENEER_PRINT_SCENE")) {
    std::printf("// Row hashes of the skin scene, recorded under Wine.\n");
    for (int y = 0; y < kHeight; ++y)
      std::printf("0x%016llxull,\n", static_cast<unsigned long long>(row_hash(pixels, y)));
  }
  int differing = 0;
  for (int y = 0; y < kHeight; ++y)
    if (row_hash(pixels, y) != kReferenceRows[y]) {
      if (++differing <= 10) ADD_FAILURE() << "row " << y << " differs from Win32's";
    }
  EXPECT_EQ(differing, 0) << "rows differing from the Win32 scene";
}

}  // namespace
}  // namespace veneer::test
