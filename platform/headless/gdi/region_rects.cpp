// Regions made from, moved by and tested against rectangles.
#include <algorithm>

#include "gdi/objects.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;
using namespace veneer::headless::gdi;

namespace {

void set_rect(pixman_region32_t* region, const pixman_box32_t& box) {
  if (box.x1 < box.x2 && box.y1 < box.y2)
    pixman_region32_reset(region, &box);
  else
    pixman_region32_clear(region);
}

}  // namespace

extern "C" {

HRGN WINAPI CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL WINAPI SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
  std::lock_guard lock(platform_lock());
  RegionObject* r = find<RegionObject>(region);
  if (!r) return FALSE;
  set_rect(&r->region, normalised_box(left, top, right, bottom));
  return TRUE;
}

int WINAPI OffsetRgn(HRGN region, int dx, int dy) {
  std::lock_guard lock(platform_lock());
  RegionObject* r = find<RegionObject>(region);
  if (!r) return ERROR;
  pixman_region32_translate(&r->region, dx, dy);
  return region_type(&r->region);
}

BOOL WINAPI RectInRegion(HRGN region, const RECT* rect) {
  std::lock_guard lock(platform_lock());
  RegionObject* r = find<RegionObject>(region);
  if (!r || !rect) return FALSE;
  // Win32 compares edges strictly, so a rectangle without width or height inside the region
  // still counts as in it.
  const pixman_box32_t b = normalised_box(rect->left, rect->top, rect->right, rect->bottom);
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&r->region, &n);
  for (int i = 0; i < n; ++i)
    if (boxes[i].x2 > b.x1 && boxes[i].x1 < b.x2 && boxes[i].y2 > b.y1 && boxes[i].y1 < b.y2) return TRUE;
  return FALSE;
}

}  // extern "C"
