// Filling and framing rectangles with a brush. As on Win32, a brush handle may also be a
// system colour index plus one, (HBRUSH)(COLOR_WINDOW + 1) and the like.
#include <algorithm>
#include <climits>
#include <cstdint>

#include <veneer/headless/gdi.h>
#include <veneer/headless/user.h>

namespace {

HBRUSH brush_or_system_color(HBRUSH brush) {
  const auto value = reinterpret_cast<std::uintptr_t>(brush);
  if (value <= COLOR_MENUBAR + 1) return GetSysColorBrush(static_cast<int>(value) - 1);
  return brush;
}

int clamped(long long extent) { return static_cast<int>(std::clamp<long long>(extent, INT_MIN, INT_MAX)); }

// Runs the pattern blits of `fill` with `brush` selected, putting the context's brush back.
template <class Fill>
BOOL with_brush(HDC dc, HBRUSH brush, Fill&& fill) {
  HGDIOBJ previous = SelectObject(dc, brush_or_system_color(brush));
  if (!previous) return FALSE;
  fill();
  SelectObject(dc, previous);
  return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  if (!rect) return FALSE;
  // An inverted rectangle is filled as PatBlt fills negative extents.
  return with_brush(dc, brush, [&] {
    PatBlt(dc, rect->left, rect->top, clamped(static_cast<long long>(rect->right) - rect->left),
           clamped(static_cast<long long>(rect->bottom) - rect->top), PATCOPY);
  });
}

BOOL WINAPI FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
  if (!rect || rect->right <= rect->left || rect->bottom <= rect->top) return FALSE;
  const int width = clamped(static_cast<long long>(rect->right) - rect->left);
  const int height = clamped(static_cast<long long>(rect->bottom) - rect->top);
  return with_brush(dc, brush, [&] {
    PatBlt(dc, rect->left, rect->top, width, 1, PATCOPY);
    PatBlt(dc, rect->left, rect->bottom - 1, width, 1, PATCOPY);
    PatBlt(dc, rect->left, rect->top, 1, height, PATCOPY);
    PatBlt(dc, rect->right - 1, rect->top, 1, height, PATCOPY);
  });
}

}  // extern "C"
