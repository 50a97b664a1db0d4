// Regions on pixman's banded regions, which keep rectangles in the same y-x banded,
// coalesced form GDI's regions have, so that GetRegionData lists what Win32 lists.
#include <algorithm>
#include <cstring>
#include <vector>

#include "gdi/objects.h"
#include "gdi/region_data.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;
using namespace veneer::headless::gdi;

namespace {

RECT extents(pixman_region32_t* r) {
  if (!pixman_region32_not_empty(r)) return {0, 0, 0, 0};
  const pixman_box32_t* e = pixman_region32_extents(r);
  return {e->x1, e->y1, e->x2, e->y2};
}

HRGN new_region() {
  HRGN handle = create<RegionObject, HRGN>();
  if (!handle) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return handle;
}

}  // namespace

extern "C" {

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
  std::lock_guard lock(platform_lock());
  HRGN handle = new_region();
  if (!handle) return nullptr;
  // The corners may come in any order; a rectangle without area is the empty region.
  const pixman_box32_t box = normalised_box(left, top, right, bottom);
  if (box.x1 < box.x2 && box.y1 < box.y2) pixman_region32_reset(&find<RegionObject>(handle)->region, &box);
  return handle;
}

int WINAPI CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  std::lock_guard lock(platform_lock());
  RegionObject* d = find<RegionObject>(dst);
  RegionObject* a = find<RegionObject>(src1);
  if (!d || !a || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (mode == RGN_COPY) {
    if (!pixman_region32_copy(&d->region, &a->region)) return ERROR;
    return region_type(&d->region);
  }
  RegionObject* b = find<RegionObject>(src2);
  if (!b) return ERROR;
  bool ok = true;
  switch (mode) {
    case RGN_AND:
      ok = pixman_region32_intersect(&d->region, &a->region, &b->region);
      break;
    case RGN_OR:
      ok = union_stacked(&d->region, &a->region, &b->region) ||
           pixman_region32_union(&d->region, &a->region, &b->region);
      break;
    case RGN_DIFF:
      ok = pixman_region32_subtract(&d->region, &a->region, &b->region);
      break;
    case RGN_XOR: {
      pixman_region32_t a_only, b_only;
      pixman_region32_init(&a_only);
      pixman_region32_init(&b_only);
      ok = pixman_region32_subtract(&a_only, &a->region, &b->region) &&
           pixman_region32_subtract(&b_only, &b->region, &a->region) &&
           pixman_region32_union(&d->region, &a_only, &b_only);
      pixman_region32_fini(&a_only);
      pixman_region32_fini(&b_only);
      break;
    }
  }
  return ok ? region_type(&d->region) : ERROR;
}

HRGN WINAPI ExtCreateRegion(const void* transform, DWORD size, const RGNDATA* data) {
  std::lock_guard lock(platform_lock());
  // Transforms are not offered. The rectangles must lie within the size given: reading past
  // it would read memory the caller did not hand over.
  if (transform || !data || size < sizeof(RGNDATAHEADER) || data->rdh.dwSize != sizeof(RGNDATAHEADER) ||
      (size - sizeof(RGNDATAHEADER)) / sizeof(RECT) < data->rdh.nCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(data->rdh.nCount);
  const char* p = data->Buffer;
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    RECT r;
    std::memcpy(&r, p + i * sizeof(RECT), sizeof r);
    if (r.left < r.right && r.top < r.bottom)
      boxes.push_back({r.left, r.top, r.right, r.bottom});  // others add nothing
  }
  HRGN handle = new_region();
  if (!handle) return nullptr;
  pixman_region32_t* region = &find<RegionObject>(handle)->region;
  // Rectangles listed the way a region lists its own (GetRegionData's order) are taken as they
  // are; any other list is sorted and merged.
  if (adopt_banded(region, boxes.data(), static_cast<int>(boxes.size()))) return handle;
  pixman_region32_fini(region);
  if (!pixman_region32_init_rects(region, boxes.data(), static_cast<int>(boxes.size()))) {
    pixman_region32_init(region);
    DeleteObject(handle);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return handle;
}

DWORD WINAPI GetRegionData(HRGN region, DWORD size, LPRGNDATA data) {
  std::lock_guard lock(platform_lock());
  RegionObject* r = find<RegionObject>(region);
  if (!r) return 0;
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&r->region, &n);
  DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + static_cast<std::size_t>(n) * sizeof(RECT));
  if (!data) return needed;
  if (size < needed) return 0;
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(n);
  data->rdh.nRgnSize = static_cast<DWORD>(static_cast<std::size_t>(n) * sizeof(RECT));
  data->rdh.rcBound = extents(&r->region);
  for (int i = 0; i < n; ++i) {
    RECT rc{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2};
    std::memcpy(data->Buffer + static_cast<std::size_t>(i) * sizeof(RECT), &rc, sizeof rc);
  }
  return needed;
}

int WINAPI GetRgnBox(HRGN region, LPRECT box) {
  std::lock_guard lock(platform_lock());
  RegionObject* r = find<RegionObject>(region);
  if (!r || !box) return ERROR;
  *box = extents(&r->region);
  return region_type(&r->region);
}

BOOL WINAPI EqualRgn(HRGN a, HRGN b) {
  std::lock_guard lock(platform_lock());
  RegionObject* ra = find<RegionObject>(a);
  RegionObject* rb = find<RegionObject>(b);
  if (!ra || !rb) return ERROR;
  // Empty regions are equal wherever pixman left their (empty) extents.
  const bool a_empty = !pixman_region32_not_empty(&ra->region);
  const bool b_empty = !pixman_region32_not_empty(&rb->region);
  if (a_empty || b_empty) return a_empty == b_empty ? TRUE : FALSE;
  return pixman_region32_equal(&ra->region, &rb->region) ? TRUE : FALSE;
}

BOOL WINAPI PtInRegion(HRGN region, int x, int y) {
  std::lock_guard lock(platform_lock());
  RegionObject* r = find<RegionObject>(region);
  if (!r) return FALSE;
  return pixman_region32_contains_point(&r->region, x, y, nullptr) ? TRUE : FALSE;
}

}  // extern "C"
