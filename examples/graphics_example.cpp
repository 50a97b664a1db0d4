// Skin graphics: a skin strip, a colour-keyed sprite, a gradient and a line drawn into a
// bitmap, then the skin's window region and a gray copy.
#include <cstdint>
#include <cstdio>

#include <veneer/framework/afx_gdi.h>
#include <veneer/veneer.h>

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);  // the skin key colour

// A 32-bit top-down DIB section, so that its pixels can be read at bits (0x00RRGGBB).
bool make_dib(CBitmap& bitmap, int width, int height, std::uint32_t*& bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* raw = nullptr;
  if (!bitmap.Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0))) return false;
  bits = static_cast<std::uint32_t*>(raw);
  return bits != nullptr;
}

}  // namespace

int main() {
  // A 12 x 8 skin: blue, with key-coloured (transparent) corners.
  CBitmap skin, canvas;
  std::uint32_t *skin_bits = nullptr, *canvas_bits = nullptr;
  if (!make_dib(skin, 12, 8, skin_bits) || !make_dib(canvas, 100, 40, canvas_bits)) return 1;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x)
      skin_bits[y * 12 + x] = ((x == 0 || x == 11) && (y == 0 || y == 7)) ? 0xFF00FF : 0x3050A0;

  CDC dc;
  dc.Attach(CreateCompatibleDC(nullptr));
  CBitmap* previous = dc.SelectObject(&canvas);
  CRect all(0, 0, 100, 40);
  AfxGradientFillRect(&dc, all, RGB(240, 240, 255), RGB(160, 170, 200), 1);       // top to bottom
  AfxDrawHoriRectEx(&dc, &skin, CPoint(0, 0), 12, 8, CRect(0, 0, 100, 8), 3, 3);  // caps of 3
  AfxDrawTransBitmap(&dc, &skin, CPoint(0, 0), CRect(10, 20, 22, 28), kKey);      // corners left out
  AfxDrawSingleLine(&dc, CPoint(0, 39), CPoint(100, 39), RGB(0, 0, 0));
  dc.SelectObject(previous);  // a bitmap must be free before Veneer reads it
  GdiFlush();
  std::printf("strip pixel (50, 4): %06X, sprite corner (10, 20): %06X, line (5, 39): %06X\n",
              static_cast<unsigned>(canvas_bits[4 * 100 + 50]), static_cast<unsigned>(canvas_bits[20 * 100 + 10]),
              static_cast<unsigned>(canvas_bits[39 * 100 + 5]));

  // The window shape: the skin less its key-coloured pixels. The CRgn owns the new region.
  CRgn region;
  if (AfxCreateSkinRegion(&skin, &region)) {
    RECT box{};
    GetRgnBox(region, &box);
    std::printf("region box (%ld, %ld)-(%ld, %ld), corner inside: %d\n", static_cast<long>(box.left),
                static_cast<long>(box.top), static_cast<long>(box.right), static_cast<long>(box.bottom),
                PtInRegion(region, 0, 0));
  }

  // A gray copy; the CBitmap owns the copy and deletes it when destroyed.
  CBitmap gray;
  if (AfxCopyBitmap(&skin, &gray)) {
    AfxConvertToGray24(&gray);
    std::printf("gray copy made, the skin itself is unchanged: %06X\n", static_cast<unsigned>(skin_bits[12 + 1]));
  }
  return 0;
}
