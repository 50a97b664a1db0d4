#include "demo/window_painter.h"

#include <cstring>

#include "demo/dib_section.h"
#include "demo/skin_atlas.h"
#include <veneer/framework/afx_gdi.h>
#include <veneer/veneer.h>

namespace demo {
namespace {

// A 32-bit top-down DIB section; bits points at its rows.
bool make_canvas(CBitmap& bitmap, int width, int height, std::uint32_t*& bits) {
  void* raw = nullptr;
  HBITMAP handle = top_down_section(width, height, 32, raw);
  if (!handle) return false;
  bits = static_cast<std::uint32_t*>(raw);
  return bitmap.Attach(handle) != FALSE;
}

void draw_caption_buttons(CDC& dc, Skin& skin, int width) {
  const int y = 7;
  auto x_of = [&](int i) { return width - 10 - kButtonSize * (i + 1) - 4 * i; };

  // Close, with a badge composited onto a copy of its sprite.
  CBitmap close_with_badge;
  AfxCopyBitmap(&skin.close_button, &close_with_badge);
  AfxOverlapBitmap(&close_with_badge, &skin.badge, CPoint(kButtonSize - kBadgeSize, 0));
  int x = x_of(0);
  AfxDrawTransBitmap(&dc, &close_with_badge, CPoint(0, 0), CRect(x, y, x + kButtonSize, y + kButtonSize), kKey);

  x = x_of(1);
  AfxDrawTransBitmap(&dc, &skin.maximize_button, CPoint(0, 0), CRect(x, y, x + kButtonSize, y + kButtonSize), kKey);

  // Minimise is disabled: the sprite over its own background, in gray.
  x = x_of(2);
  CBitmap disabled;
  if (!disabled.CreateCompatibleBitmap(&dc, kButtonSize, kButtonSize)) return;
  {
    CDC scratch;
    scratch.Attach(CreateCompatibleDC(dc.GetSafeHdc()));
    CBitmap* old = scratch.SelectObject(&disabled);
    BitBlt(scratch.GetSafeHdc(), 0, 0, kButtonSize, kButtonSize, dc.GetSafeHdc(), x, y, SRCCOPY);
    scratch.SelectObject(old);
  }
  AfxOverlapBitmap(&disabled, &skin.minimize_button, CPoint(0, 0));
  AfxConvertToGray24(&disabled);
  AfxDrawNormalBitmap(&dc, &disabled, CPoint(0, 0), CRect(x, y, x + kButtonSize, y + kButtonSize));
}

RECT draw_title(CDC& dc, const std::string& title, int width) {
  CStringT text(title.c_str());
  const int text_width = AfxCaclStringLength(text, nullptr);
  const int x = (width - text_width) / 2;
  HGDIOBJ old_font = SelectObject(dc.GetSafeHdc(), GetStockObject(DEFAULT_GUI_FONT));
  const int old_mode = SetBkMode(dc.GetSafeHdc(), TRANSPARENT);
  const COLORREF old_color = dc.SetTextColor(RGB(255, 255, 255));
  RECT box{x, 0, x + text_width, kTitleStrip.height};
  DrawTextA(dc.GetSafeHdc(), title.c_str(), static_cast<int>(title.size()), &box,
            DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
  dc.SetTextColor(old_color);
  SetBkMode(dc.GetSafeHdc(), old_mode);
  SelectObject(dc.GetSafeHdc(), old_font);
  return box;
}

// Alpha 255 inside the region, 0 outside.
bool apply_region(CRgn& region, Picture& picture) {
  DWORD size = GetRegionData(region, 0, nullptr);
  if (size == 0) return false;
  std::vector<unsigned char> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (GetRegionData(region, size, data) == 0) return false;
  for (std::uint32_t& p : picture.pixels) p &= 0x00FFFFFFu;
  const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    const RECT& r = rects[i];
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        picture.pixels[static_cast<std::size_t>(y) * picture.width + x] |= 0xFF000000u;
  }
  return true;
}

}  // namespace

bool paint_window(int width, int height, const std::string& title, Picture& picture, std::string& error) {
  Skin skin;
  if (!build_skin(skin)) {
    error = "the skin bitmaps could not be created";
    return false;
  }
  CBitmap canvas;
  std::uint32_t* bits = nullptr;
  if (!make_canvas(canvas, width, height, bits)) {
    error = "the window bitmap could not be created";
    return false;
  }
  for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) bits[i] = kKey;

  CDC dc;
  dc.Attach(CreateCompatibleDC(nullptr));
  CBitmap* old = dc.SelectObject(&canvas);

  const int title_h = kTitleStrip.height, bottom_h = kBottomStrip.height, side_w = kSideStrip.width;
  CRect client(side_w, title_h, width - side_w, height - bottom_h);
  AfxGradientFillRect(&dc, client, RGB(238, 242, 250), RGB(188, 204, 232), 1);
  AfxDrawHoriRectEx(&dc, &skin.atlas, CPoint(kTitleStrip.x, kTitleStrip.y), kTitleStrip.width, kTitleStrip.height,
                    CRect(0, 0, width, title_h), kTitleStrip.cap, kTitleStrip.cap);
  AfxDrawHoriRectEx(&dc, &skin.atlas, CPoint(kBottomStrip.x, kBottomStrip.y), kBottomStrip.width, kBottomStrip.height,
                    CRect(0, height - bottom_h, width, height), kBottomStrip.cap, kBottomStrip.cap);
  AfxDrawVertRect(&dc, &skin.atlas, CPoint(kSideStrip.x, kSideStrip.y), kSideStrip.width, kSideStrip.height,
                  CRect(0, title_h, side_w, height - bottom_h));
  AfxDrawVertRect(&dc, &skin.atlas, CPoint(kSideStrip.x, kSideStrip.y), kSideStrip.width, kSideStrip.height,
                  CRect(width - side_w, title_h, width, height - bottom_h));
  AfxDrawSingleLine(&dc, CPoint(side_w, title_h), CPoint(width - side_w, title_h), RGB(20, 40, 90));
  AfxDrawSingleLine(&dc, CPoint(12, height - 28), CPoint(width - 12, height - 28), RGB(150, 165, 195));
  draw_caption_buttons(dc, skin, width);
  picture.text_box = draw_title(dc, title, width);

  dc.SelectObject(old);  // the region is read from the bitmap, which must be free for that
  GdiFlush();

  picture.width = width;
  picture.height = height;
  picture.pixels.assign(bits, bits + static_cast<std::size_t>(width) * height);
  CRgn region;
  if (!AfxCreateSkinRegion(&canvas, &region) || !apply_region(region, picture)) {
    error = "the window region could not be built";
    return false;
  }
  return true;
}

}  // namespace demo
