#include "demo/window_painter.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "demo/dib_section.h"
#include <veneer/framework/afx_gdi.h>
#include <veneer/veneer.h>

namespace demo {
namespace {

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

// The frame shared by both windows: title and bottom strips, the sides, a body gradient.
void draw_frame(CDC& dc, Skin& skin, int width, int height, COLORREF body_top, COLORREF body_bottom) {
  const int title_h = kTitleStrip.height, bottom_h = kBottomStrip.height, side_w = kSideStrip.width;
  CRect client(side_w, title_h, width - side_w, height - bottom_h);
  AfxGradientFillRect(&dc, client, body_top, body_bottom, 1);
  AfxDrawHoriRectEx(&dc, &skin.atlas, CPoint(kTitleStrip.x, kTitleStrip.y), kTitleStrip.width, kTitleStrip.height,
                    CRect(0, 0, width, title_h), kTitleStrip.cap, kTitleStrip.cap);
  AfxDrawHoriRectEx(&dc, &skin.atlas, CPoint(kBottomStrip.x, kBottomStrip.y), kBottomStrip.width, kBottomStrip.height,
                    CRect(0, height - bottom_h, width, height), kBottomStrip.cap, kBottomStrip.cap);
  AfxDrawVertRect(&dc, &skin.atlas, CPoint(kSideStrip.x, kSideStrip.y), kSideStrip.width, kSideStrip.height,
                  CRect(0, title_h, side_w, height - bottom_h));
  AfxDrawVertRect(&dc, &skin.atlas, CPoint(kSideStrip.x, kSideStrip.y), kSideStrip.width, kSideStrip.height,
                  CRect(width - side_w, title_h, width, height - bottom_h));
  AfxDrawSingleLine(&dc, CPoint(side_w, title_h), CPoint(width - side_w, title_h), RGB(20, 40, 90));
}

// A context of the caller's, borrowed for the exports that take a CDC.
class BorrowedDC : public CDC {
 public:
  explicit BorrowedDC(HDC dc) { Attach(dc); }
  ~BorrowedDC() { Detach(); }
};

// A fresh 32-bit top-down DIB section of the background colour, drawn into by draw() through a
// memory context and free again afterwards; its bits are the pixels. False when the section
// cannot be made.
bool draw_on_canvas(int width, int height, std::uint32_t background, const std::function<void(HDC)>& draw,
                    CBitmap& canvas, const std::uint32_t*& pixels) {
  void* raw = nullptr;
  if (!canvas.Attach(top_down_section(width, height, 32, raw))) return false;
  auto* bits = static_cast<std::uint32_t*>(raw);
  std::fill(bits, bits + static_cast<std::size_t>(width) * height, background);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, canvas);
  draw(dc);
  SelectObject(dc, old);
  DeleteDC(dc);
  GdiFlush();
  pixels = bits;
  return true;
}

// The painting made off screen on the key colour, cut at it into a region.
bool shape_of(int width, int height, const std::function<void(HDC)>& paint, CRgn& shape) {
  CBitmap canvas;
  const std::uint32_t* pixels = nullptr;
  // The region is read from the bitmap, which draw_on_canvas leaves free for that.
  return draw_on_canvas(width, height, kKey, paint, canvas, pixels) && AfxCreateSkinRegion(&canvas, &shape) != 0;
}

// Alpha 255 inside the region, 0 outside.
bool apply_region(HRGN region, Picture& picture) {
  DWORD size = GetRegionData(region, 0, nullptr);
  if (size == 0) return false;
  std::vector<unsigned char> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (GetRegionData(region, size, data) == 0) return false;
  for (std::uint32_t& p : picture.pixels) p &= 0x00FFFFFFu;
  const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    const RECT& r = rects[i];
    for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, picture.height); ++y)
      for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, picture.width); ++x)
        picture.pixels[static_cast<std::size_t>(y) * picture.width + x] |= 0xFF000000u;
  }
  return true;
}

// Copies what draw() puts into a fresh width x height DIB section into the picture.
bool picture_of(int width, int height, const std::function<bool(HDC)>& draw, Picture& picture) {
  CBitmap canvas;
  const std::uint32_t* pixels = nullptr;
  bool drawn = false;
  if (!draw_on_canvas(
          width, height, 0, [&](HDC dc) { drawn = draw(dc); }, canvas, pixels))
    return false;
  picture.width = width;
  picture.height = height;
  picture.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
  return drawn;
}

}  // namespace

RECT paint_main_window(HDC target, Skin& skin, int width, int height, const std::string& title) {
  BorrowedDC dc(target);
  draw_frame(dc, skin, width, height, RGB(238, 242, 250), RGB(188, 204, 232));
  AfxDrawSingleLine(&dc, CPoint(12, height - 28), CPoint(width - 12, height - 28), RGB(150, 165, 195));
  draw_caption_buttons(dc, skin, width);
  return draw_title(dc, title, width);
}

void paint_notification(HDC target, Skin& skin, int width, int height) {
  BorrowedDC dc(target);
  draw_frame(dc, skin, width, height, RGB(255, 250, 225), RGB(245, 225, 170));
  AfxDrawTransBitmap(&dc, &skin.badge, CPoint(0, 0),
                     CRect(12, kTitleStrip.height + 8, 12 + kBadgeSize, kTitleStrip.height + 8 + kBadgeSize), kKey);
}

bool main_window_shape(Skin& skin, int width, int height, const std::string& title, CRgn& shape) {
  return shape_of(
      width, height, [&](HDC dc) { paint_main_window(dc, skin, width, height, title); }, shape);
}

bool notification_shape(Skin& skin, int width, int height, CRgn& shape) {
  return shape_of(
      width, height, [&](HDC dc) { paint_notification(dc, skin, width, height); }, shape);
}

bool print_window(HWND window, Picture& picture, std::string& error) {
  RECT r{};
  if (!GetWindowRect(window, &r)) {
    error = "the window is gone";
    return false;
  }
  if (!picture_of(
          r.right - r.left, r.bottom - r.top, [&](HDC dc) { return PrintWindow(window, dc, 0) != FALSE; }, picture)) {
    error = "the window could not be printed";
    return false;
  }
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  const bool shaped = GetWindowRgn(window, shape) != ERROR;
  const bool cut = shaped && apply_region(shape, picture);
  DeleteObject(shape);
  if (!shaped)
    for (std::uint32_t& p : picture.pixels) p |= 0xFF000000u;
  else if (!cut)
    error = "the window's shape could not be read";
  return !shaped || cut;
}

bool capture_screen(Picture& picture, std::string& error) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const bool copied = picture_of(
      width, height,
      [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        const BOOL ok = screen && BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        if (screen) ReleaseDC(nullptr, screen);
        return ok != FALSE;
      },
      picture);
  if (!copied) error = "the screen could not be copied";
  for (std::uint32_t& p : picture.pixels) p |= 0xFF000000u;
  return copied;
}

}  // namespace demo
