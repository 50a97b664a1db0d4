// The program's clip region of a device context: setting, narrowing, moving and reading it.
//
// As Win32 keeps it, the region is stored in the context's own coordinates and is not cut to
// the surface: it stays when another bitmap is selected, and the calls report the type of the
// stored region. Where the context has no region yet, the calls that combine with it start
// from the whole surface (what the context could draw into before).
#include "gdi/clip.h"

#include <algorithm>
#include <memory>

#include "gdi/objects.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;
using namespace veneer::headless::gdi;

namespace {

// What the context could draw into without a clip region, in its own coordinates.
pixman_box32_t surface_box(const DeviceContext& dc) {
  const RECT r = drawable_rect(dc);
  return {r.left - dc.origin.x, r.top - dc.origin.y, r.right - dc.origin.x, r.bottom - dc.origin.y};
}

// The context's clip region, made from the whole surface when it has none.
pixman_region32_t& clip_region_or_surface(DeviceContext& dc) {
  if (!dc.clip_region) {
    dc.clip_region = std::make_unique<OwnedRegion>();
    const pixman_box32_t box = surface_box(dc);
    if (box.x1 < box.x2 && box.y1 < box.y2) pixman_region32_reset(&dc.clip_region->region, &box);
  }
  return dc.clip_region->region;
}

bool combine(pixman_region32_t& clip, const pixman_region32_t& with, int mode) {
  auto* other = const_cast<pixman_region32_t*>(&with);
  switch (mode) {
    case RGN_AND:
      return pixman_region32_intersect(&clip, &clip, other);
    case RGN_OR:
      return pixman_region32_union(&clip, &clip, other);
    case RGN_DIFF:
      return pixman_region32_subtract(&clip, &clip, other);
    case RGN_XOR: {
      OwnedRegion clip_only, other_only;
      return pixman_region32_subtract(&clip_only.region, &clip, other) &&
             pixman_region32_subtract(&other_only.region, other, &clip) &&
             pixman_region32_union(&clip, &clip_only.region, &other_only.region);
    }
    default:  // RGN_COPY
      return pixman_region32_copy(&clip, other);
  }
}

}  // namespace

extern "C" {

int WINAPI ExtSelectClipRgn(HDC dc, HRGN region, int mode) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (!region) {
    // Only a copy of no region makes sense: it removes the clip region.
    if (mode != RGN_COPY) return ERROR;
    c->clip_region.reset();
    return SIMPLEREGION;
  }
  RegionObject* r = find<RegionObject>(region);
  if (!r) return ERROR;
  // Combined on the side, so that a failure leaves the clip as it was.
  auto result = std::make_unique<OwnedRegion>();
  if (mode != RGN_COPY && !pixman_region32_copy(&result->region, &clip_region_or_surface(*c))) return ERROR;
  if (!combine(result->region, r->region, mode)) return ERROR;
  c->clip_region = std::move(result);
  return region_type(&c->clip_region->region);
}

int WINAPI SelectClipRgn(HDC dc, HRGN region) { return ExtSelectClipRgn(dc, region, RGN_COPY); }

int WINAPI GetClipRgn(HDC dc, HRGN region) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c) return -1;
  if (!c->clip_region) return 0;
  RegionObject* r = find<RegionObject>(region);
  if (!r || !pixman_region32_copy(&r->region, &c->clip_region->region)) return -1;
  return 1;
}

int WINAPI IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c) return ERROR;
  const pixman_box32_t box = normalised_box(left, top, right, bottom);
  OwnedRegion rect;
  if (box.x1 < box.x2 && box.y1 < box.y2) pixman_region32_reset(&rect.region, &box);
  if (!c->clip_region) {
    // Without a clip region the rectangle becomes it, whatever part of it the surface holds.
    c->clip_region = std::make_unique<OwnedRegion>();
    if (!pixman_region32_copy(&c->clip_region->region, &rect.region)) return ERROR;
  } else if (!pixman_region32_intersect(&c->clip_region->region, &c->clip_region->region, &rect.region)) {
    return ERROR;
  }
  return region_type(&c->clip_region->region);
}

int WINAPI ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c) return ERROR;
  const pixman_box32_t box = normalised_box(left, top, right, bottom);
  pixman_region32_t& clip = clip_region_or_surface(*c);
  if (box.x1 < box.x2 && box.y1 < box.y2) {
    OwnedRegion rect;
    pixman_region32_reset(&rect.region, &box);
    if (!pixman_region32_subtract(&clip, &clip, &rect.region)) return ERROR;
  }
  return region_type(&clip);
}

int WINAPI OffsetClipRgn(HDC dc, int dx, int dy) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c) return ERROR;
  // Win32 (as Wine shows it) reports a context without a clip region as a null one here.
  if (!c->clip_region) return NULLREGION;
  pixman_region32_translate(&c->clip_region->region, dx, dy);
  return region_type(&c->clip_region->region);
}

int WINAPI GetClipBox(HDC dc, LPRECT rect) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c || !rect) return ERROR;
  if (c->visible_region) {
    // A window's context: the box and type of where it may draw, in its own coordinates.
    OwnedRegion effective;
    for_each_clip_rect(*c, [&](const RECT& r) {
      pixman_region32_union_rect(&effective.region, &effective.region, r.left - c->origin.x, r.top - c->origin.y,
                                 static_cast<unsigned>(r.right - r.left), static_cast<unsigned>(r.bottom - r.top));
    });
    const pixman_box32_t* e = pixman_region32_extents(&effective.region);
    *rect = RECT{e->x1, e->y1, e->x2, e->y2};
    return region_type(&effective.region);
  }
  const pixman_box32_t surface = surface_box(*c);
  int type = surface.x1 < surface.x2 && surface.y1 < surface.y2 ? SIMPLEREGION : NULLREGION;
  pixman_box32_t box = surface;
  if (c->clip_region) {
    // The box of the clip region cut to the surface, with the type of the region itself.
    const pixman_box32_t* e = pixman_region32_extents(&c->clip_region->region);
    box = {std::max(e->x1, surface.x1), std::max(e->y1, surface.y1), std::min(e->x2, surface.x2),
           std::min(e->y2, surface.y2)};
    type = region_type(&c->clip_region->region);
  }
  if (box.x1 >= box.x2 || box.y1 >= box.y2) {
    *rect = RECT{0, 0, 0, 0};
    return NULLREGION;
  }
  *rect = RECT{box.x1, box.y1, box.x2, box.y2};
  return type;
}

}  // extern "C"
