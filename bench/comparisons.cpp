#include "bench/comparisons.h"

#include "bench/skins.h"

namespace veneer::bench {

HRGN per_pixel_skin_region(HBITMAP bitmap) {
  BITMAP description{};
  if (!::GetObjectA(bitmap, sizeof description, &description)) return nullptr;
  const int width = description.bmWidth, height = description.bmHeight;
  HRGN working = ::CreateRectRgn(0, 0, width, height);
  HDC dc = ::CreateCompatibleDC(nullptr);
  if (!working || !dc) {
    if (working) ::DeleteObject(working);
    if (dc) ::DeleteDC(dc);
    return nullptr;
  }
  HGDIOBJ previous = ::SelectObject(dc, bitmap);
  HRGN pixel = nullptr;
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < height; ++y) {
      if (::GetPixel(dc, x, y) != kKeyColor) continue;
      if (pixel) ::DeleteObject(pixel);
      pixel = ::CreateRectRgn(x, y, x + 1, y + 1);
      ::CombineRgn(working, working, pixel, RGN_DIFF);
    }
  if (pixel) ::DeleteObject(pixel);
  if (previous) ::SelectObject(dc, previous);
  ::DeleteDC(dc);
  return working;
}

void whole_source_trans_blit(HDC target, HBITMAP source, int source_x, int source_y, const RECT& dest, COLORREF key) {
  const COLORREF old_background = ::SetBkColor(target, RGB(255, 255, 255));
  const COLORREF old_text = ::SetTextColor(target, RGB(0, 0, 0));
  HDC image_dc = ::CreateCompatibleDC(target);
  HDC source_dc = ::CreateCompatibleDC(target);
  HDC mask_dc = ::CreateCompatibleDC(target);
  BITMAP description{};
  ::GetObjectA(source, sizeof description, &description);
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  HBITMAP mask = ::CreateBitmap(w, h, 1, 1, nullptr);
  HBITMAP image = ::CreateCompatibleBitmap(target, description.bmWidth, description.bmHeight);
  HGDIOBJ old_source = ::SelectObject(source_dc, source);
  HGDIOBJ old_mask = ::SelectObject(mask_dc, mask);
  HGDIOBJ old_image = ::SelectObject(image_dc, image);

  ::BitBlt(image_dc, 0, 0, description.bmWidth, description.bmHeight, source_dc, 0, 0, SRCCOPY);
  keyed_mask_blits(target, dest.left, dest.top, w, h, image_dc, source_x, source_y, mask_dc, key);

  ::SelectObject(mask_dc, old_mask);
  ::SelectObject(image_dc, old_image);
  ::SelectObject(source_dc, old_source);
  ::SetBkColor(target, old_background);
  ::SetTextColor(target, old_text);
  ::DeleteObject(mask);
  ::DeleteObject(image);
  ::DeleteDC(source_dc);
  ::DeleteDC(mask_dc);
  ::DeleteDC(image_dc);
}

void keyed_mask_blits(HDC target, int dest_x, int dest_y, int w, int h, HDC image, int image_x, int image_y, HDC mask,
                      COLORREF key) {
  ::SetBkColor(image, key);
  ::BitBlt(mask, 0, 0, w, h, image, image_x, image_y, SRCCOPY);
  ::SetBkColor(image, RGB(0, 0, 0));
  ::SetTextColor(image, RGB(255, 255, 255));
  ::BitBlt(image, image_x, image_y, w, h, mask, 0, 0, SRCAND);
  ::BitBlt(target, dest_x, dest_y, w, h, mask, 0, 0, SRCAND);
  ::BitBlt(target, dest_x, dest_y, w, h, image, image_x, image_y, SRCPAINT);
}

}  // namespace veneer::bench
