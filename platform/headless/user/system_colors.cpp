// The system colours and their brushes, as Win32 (Wine's default scheme) reports them.
#include <array>
#include <cstdint>

#include "gdi/objects.h"
#include <veneer/headless/kernel_base.h>
#include <veneer/headless/user.h>

using namespace veneer::headless;

namespace {

constexpr int color_count = COLOR_MENUBAR + 1;

constexpr std::array<COLORREF, color_count> system_colors = {
    0xffffff, 0x956f25, 0xfa9632, 0x808080, 0xffffff, 0xffffff, 0x9e9e9e, 0x000000, 0x000000, 0x000000, 0xffffff,
    0xffffff, 0x808080, 0xfa9630, 0xffffff, 0xf5f5f5, 0xa6a6a6, 0xa6a6a6, 0x000000, 0xc8c8c8, 0xffffff, 0x6a6a6a,
    0xe3e3e3, 0x000000, 0xffffff, 0xffffff, 0xe0e0e0, 0xfa9632, 0x808080, 0xfa9630, 0xffffff,
};

}  // namespace

extern "C" {

DWORD WINAPI GetSysColor(int index) {
  return index >= 0 && index < color_count ? system_colors[static_cast<std::size_t>(index)] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int index) {
  if (index < 0 || index >= color_count) return nullptr;
  std::lock_guard lock(platform_lock());
  // Made on first use and never deleted: DeleteObject of one succeeds and leaves it.
  static std::array<HBRUSH, color_count> brushes{};
  HBRUSH& brush = brushes[static_cast<std::size_t>(index)];
  if (!brush) brush = gdi::make_permanent_brush(system_colors[static_cast<std::size_t>(index)]);
  return brush;
}

}  // extern "C"
