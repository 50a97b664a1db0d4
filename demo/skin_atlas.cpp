#include "demo/skin_atlas.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

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

bool build_skin(Skin& skin, const std::string& atlas_path, std::string& error) {
  HANDLE atlas = LoadImageA(nullptr, atlas_path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  if (!atlas || !skin.atlas.Attach(atlas)) {
    error = "the skin atlas \"" + atlas_path + "\" could not be loaded (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
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
  const bool made = paint_bitmap(skin.close_button, kButtonSize, kButtonSize, button(RGB(220, 70, 60), cross)) &&
                    paint_bitmap(skin.maximize_button, kButtonSize, kButtonSize, button(RGB(70, 170, 90), box)) &&
                    paint_bitmap(skin.minimize_button, kButtonSize, kButtonSize, button(RGB(220, 170, 40), bar)) &&
                    paint_bitmap(skin.badge, kBadgeSize, kBadgeSize, badge);
  if (!made) error = "the skin's button bitmaps could not be created";
  return made;
}

}  // namespace demo
