#include "demo/skin_atlas.h"

#include <cstdint>
#include <cstdlib>
#include <functional>

#include "demo/dib_section.h"

namespace demo {
namespace {

using Shader = std::function<COLORREF(int x, int y)>;

// A 24-bit top-down DIB section painted by the shader, one pixel at a time (the skin is tiny).
bool paint_bitmap(CBitmap& bitmap, int width, int height, const Shader& shade) {
  void* bits = nullptr;
  HBITMAP handle = top_down_section(width, height, 24, bits);
  if (!handle) return false;
  const int stride = (width * 3 + 3) & ~3;
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<std::uint8_t*>(bits) + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      COLORREF c = shade(x, y);
      row[3 * x] = GetBValue(c);
      row[3 * x + 1] = GetGValue(c);
      row[3 * x + 2] = GetRValue(c);
    }
  }
  GdiFlush();
  return bitmap.Attach(handle) != FALSE;
}

COLORREF mix(COLORREF a, COLORREF b, int t, int range) {
  auto lerp = [&](int ca, int cb) { return ca + (cb - ca) * t / (range > 0 ? range : 1); };
  return RGB(lerp(GetRValue(a), GetRValue(b)), lerp(GetGValue(a), GetGValue(b)), lerp(GetBValue(a), GetBValue(b)));
}

// Outside a quarter circle of radius r in a corner block: the key colour cuts the corner.
bool outside_corner(int dx, int dy, int r) { return dx * dx + dy * dy > r * r; }

COLORREF atlas_pixel(int x, int y) {
  const COLORREF title_top = RGB(70, 110, 180), title_bottom = RGB(30, 60, 120);
  const COLORREF frame = RGB(30, 60, 120), frame_light = RGB(90, 130, 200);
  const int r = 7;
  if (x < 40 && y < 30) {  // title strip: a gradient, a highlight row, rounded top corners
    if (y < r && x < r && outside_corner(r - x, r - y, r)) return kKey;
    if (y < r && x >= 40 - r && outside_corner(x - (40 - r - 1), r - y, r)) return kKey;
    if (y == 1) return frame_light;
    return mix(title_top, title_bottom, y, 29);
  }
  if (x < 40 && y < 38) {  // bottom strip: rounded bottom corners
    int yy = y - 30;
    if (x < r && outside_corner(r - x, yy + 1, r)) return kKey;
    if (x >= 40 - r && outside_corner(x - (40 - r - 1), yy + 1, r)) return kKey;
    return yy == 6 ? frame_light : frame;
  }
  if (x >= 40 && x < 44 && y < 30) return x == 41 ? frame_light : frame;  // side strip
  return RGB(0, 0, 0);
}

// A round button of the colour with a glyph drawn by the predicate, on the key colour.
Shader button(COLORREF face, std::function<bool(int, int)> glyph) {
  return [face, glyph](int x, int y) -> COLORREF {
    int dx = 2 * x - (kButtonSize - 1), dy = 2 * y - (kButtonSize - 1);
    if (dx * dx + dy * dy > (kButtonSize - 1) * (kButtonSize - 1)) return kKey;
    if (glyph(x, y)) return RGB(255, 255, 255);
    return mix(face, RGB(0, 0, 0), y, 40);
  };
}

}  // namespace

bool build_skin(Skin& skin) {
  auto cross = [](int x, int y) {
    return x >= 5 && x <= 10 && (x - y == 0 || x + y == 15 || x - y == 1 || x + y == 16);
  };
  auto box = [](int x, int y) {
    return x >= 5 && x <= 10 && y >= 5 && y <= 10 && (x == 5 || x == 10 || y == 5 || y <= 6);
  };
  auto bar = [](int x, int y) { return x >= 5 && x <= 10 && (y == 10 || y == 9); };
  auto badge = [](int x, int y) -> COLORREF {
    int dx = 2 * x - (kBadgeSize - 1), dy = 2 * y - (kBadgeSize - 1);
    if (dx * dx + dy * dy > (kBadgeSize - 1) * (kBadgeSize - 1) + 2) return kKey;
    return dx * dx + dy * dy < 6 ? RGB(255, 255, 255) : RGB(230, 40, 40);
  };
  return paint_bitmap(skin.atlas, 44, 38, atlas_pixel) &&
         paint_bitmap(skin.close_button, kButtonSize, kButtonSize, button(RGB(220, 70, 60), cross)) &&
         paint_bitmap(skin.maximize_button, kButtonSize, kButtonSize, button(RGB(70, 170, 90), box)) &&
         paint_bitmap(skin.minimize_button, kButtonSize, kButtonSize, button(RGB(220, 170, 40), bar)) &&
         paint_bitmap(skin.badge, kBadgeSize, kBadgeSize, badge);
}

}  // namespace demo
