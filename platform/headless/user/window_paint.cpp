// Update regions and the messages that paint them: invalidating and validating, WM_PAINT from
// the queue or sent at once, WM_NCPAINT and WM_ERASEBKGND before it, BeginPaint and EndPaint.
// The order of the messages is Win32's as Wine shows it.
#include "user/window_paint.h"

#include <algorithm>
#include <vector>

#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;
using veneer::headless::gdi::OwnedRegion;

namespace veneer::headless {
namespace {

// The client area's size, as a rectangle at (0, 0).
pixman_box32_t client_box(const Window& w) {
  const RECT c = client_rect_in_parent(w);
  return {0, 0, static_cast<int32_t>(std::max<long long>(0, static_cast<long long>(c.right) - c.left)),
          static_cast<int32_t>(std::max<long long>(0, static_cast<long long>(c.bottom) - c.top))};
}

void region_of_box(const RECT& r, gdi::OwnedRegion& out) {
  set_region_box(out.region, r.left, r.top, r.right, r.bottom);
}

bool needs_paint(const Window& w) { return w.internal_paint || pixman_region32_not_empty(&w.update.region); }

// Children take part unless the call says otherwise; by default they do where the parent does
// not clip them out of its own painting.
bool reaches_children(const Window& w, UINT flags) {
  if (flags & RDW_ALLCHILDREN) return true;
  if (flags & RDW_NOCHILDREN) return false;
  return !(w.style & WS_CLIPCHILDREN);
}

// WM_NCPAINT and WM_ERASEBKGND for what is pending; `dc`, when given, is the context the
// background is erased through (BeginPaint's own).
void send_erase(HWND window, HDC dc) {
  Window* w = window_of(window);
  if (!w) return;
  if (w->frame_pending) {
    w->frame_pending = false;
    send_message(window, WM_NCPAINT, 1, 0);
    if (!(w = window_of(window))) return;
  }
  if (!w->erase_pending) return;
  w->erase_pending = false;
  HDC own = dc ? nullptr : window_context(window, false, &w->update.region);
  ++w->erases;
  const LRESULT erased = send_message(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc ? dc : own), 0);
  if (own) ReleaseDC(window, own);
  if ((w = window_of(window))) w->erase_refused = erased == 0;
}

void invalidate_one(Window& w, const pixman_region32_t* area, UINT flags) {
  OwnedRegion part;
  const pixman_box32_t whole = client_box(w);
  pixman_region32_reset(&part.region, &whole);
  if (area) pixman_region32_intersect(&part.region, &part.region, const_cast<pixman_region32_t*>(area));
  if (flags & RDW_INVALIDATE) {
    if (pixman_region32_not_empty(&part.region)) {
      pixman_region32_union(&w.update.region, &w.update.region, &part.region);
      if (flags & RDW_ERASE) w.erase_pending = true;
    }
    if (flags & RDW_FRAME) w.frame_pending = true;
  } else if (flags & RDW_VALIDATE) {
    pixman_region32_subtract(&w.update.region, &w.update.region, &part.region);
    if (flags & RDW_NOERASE) w.erase_pending = false;
    if (flags & RDW_NOFRAME) w.frame_pending = false;
    if (!pixman_region32_not_empty(&w.update.region)) w.erase_pending = false;
  }
  if (flags & RDW_INTERNALPAINT) w.internal_paint = true;
  if (flags & RDW_NOINTERNALPAINT) w.internal_paint = false;
}

void mark(HWND window, const pixman_region32_t* area, UINT flags) {
  Window* w = window_of(window);
  if (!w || !shown_on_desktop(*w)) return;
  invalidate_one(*w, area, flags);
  if (!reaches_children(*w, flags)) return;
  // A child's frame lies in its parent's client area: what reaches a child reaches its frame.
  const UINT child_flags = (flags & ~(RDW_NOCHILDREN)) | ((flags & RDW_INVALIDATE) ? RDW_FRAME : 0);
  for (HWND c : std::vector<HWND>(w->children)) {
    Window* child = window_of(c);
    if (!child || !(child->style & WS_VISIBLE)) continue;
    const RECT r = child->rect;
    const RECT cr = client_rect_in_parent(*child);
    OwnedRegion in_child;
    if (area) {
      pixman_region32_copy(&in_child.region, const_cast<pixman_region32_t*>(area));
      OwnedRegion child_box;
      region_of_box(r, child_box);
      pixman_region32_intersect(&in_child.region, &in_child.region, &child_box.region);
      if (!pixman_region32_not_empty(&in_child.region)) continue;
      pixman_region32_translate(&in_child.region, wrapped_coordinate(-static_cast<long long>(cr.left)),
                                wrapped_coordinate(-static_cast<long long>(cr.top)));
    }
    mark(c, area ? &in_child.region : nullptr, child_flags);
  }
}

void paint_now(HWND window, UINT flags) {
  Window* w = window_of(window);
  if (!w || !shown_on_desktop(*w)) return;
  if (flags & RDW_UPDATENOW) {
    if (needs_paint(*w)) {
      ++w->paints;
      send_message(window, WM_PAINT, 0, 0);
    }
  } else if (flags & RDW_ERASENOW) {
    send_erase(window, nullptr);
  }
  if (!(w = window_of(window)) || !reaches_children(*w, flags | RDW_ALLCHILDREN)) return;
  for (HWND c : std::vector<HWND>(w->children)) paint_now(c, flags);
}

bool paint_candidate(HWND window, DWORD thread, const MessageFilter& filter, MSG& out) {
  const Window* w = window_of(window);
  if (!w || !(w->style & WS_VISIBLE)) return false;
  if (w->thread_id == thread && needs_paint(*w) && filter.takes(window, WM_PAINT)) {
    out = MSG{window, WM_PAINT, 0, 0, 0, POINT{0, 0}};
    return true;
  }
  for (HWND c : w->children)
    if (paint_candidate(c, thread, filter, out)) return true;
  return false;
}

}  // namespace

void set_region_box(pixman_region32_t& region, long long left, long long top, long long right, long long bottom) {
  const auto clamp = [](long long v) { return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); };
  if (left >= right || top >= bottom) {
    pixman_region32_clear(&region);
    return;
  }
  const pixman_box32_t box{clamp(left), clamp(top), clamp(right), clamp(bottom)};
  pixman_region32_reset(&region, &box);
}

bool shown_on_desktop(const Window& w) {
  for (const Window* at = &w; at; at = window_of(at->parent)) {
    if (at->self == desktop().desktop_window) return true;
    if (!(at->style & WS_VISIBLE)) return false;
  }
  return true;
}

void redraw_window(HWND window, const pixman_region32_t* area, UINT flags) {
  if (flags & (RDW_INVALIDATE | RDW_VALIDATE | RDW_INTERNALPAINT | RDW_NOINTERNALPAINT)) {
    mark(window, area, flags);
    wake_message_waiters();  // a thread waiting for messages may now have one to paint
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) paint_now(window, flags);
}

bool take_paint_message(DWORD thread, const MessageFilter& filter, MSG& out) {
  const Window* top = window_of(desktop().desktop_window);
  if (!top) return false;
  for (HWND h : top->children)
    if (paint_candidate(h, thread, filter, out)) return true;
  return false;
}

void window_shown(HWND window) {
  redraw_window(window, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ERASENOW | RDW_ALLCHILDREN);
}

void window_hidden(HWND window) {
  const Window* w = window_of(window);
  if (!w) return;
  OwnedRegion gone;
  region_of_box(w->rect, gone);
  if (window_of(w->parent) && w->parent != desktop().desktop_window)
    redraw_window(w->parent, &gone.region, RDW_INVALIDATE | RDW_ERASE);
}

void window_placed(HWND window, const RECT& old_rect) {
  Window* w = window_of(window);
  if (!w) return;
  // Sizes as 64-bit sums: a window may lie anywhere in the int range.
  auto width = [](const RECT& r) { return static_cast<long long>(r.right) - r.left; };
  auto height = [](const RECT& r) { return static_cast<long long>(r.bottom) - r.top; };
  const bool resized = width(old_rect) != width(w->rect) || height(old_rect) != height(w->rect);
  if (resized) {
    w->surface.reset();
    redraw_window(window, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  if (!(w = window_of(window))) return;
  const bool moved = old_rect.left != w->rect.left || old_rect.top != w->rect.top;
  if ((resized || moved) && w->parent != desktop().desktop_window && window_of(w->parent)) {
    OwnedRegion old_place;
    region_of_box(old_rect, old_place);
    redraw_window(w->parent, &old_place.region, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
    if (moved && !resized) redraw_window(window, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

}  // namespace veneer::headless

namespace {

// The region behind a region handle, or null.
const pixman_region32_t* region_of(HRGN region) {
  const auto* r = find<gdi::RegionObject>(region);
  return r ? &r->region : nullptr;
}

// Every top-level window (the desktop's children), whole.
void redraw_top_levels(UINT flags) {
  const Window* d = window_of(desktop().desktop_window);
  if (!d) return;
  for (HWND h : std::vector<HWND>(d->children)) redraw_window(h, nullptr, flags);
}

BOOL redraw_through(HWND window, const pixman_region32_t* area, UINT flags) {
  if (!window) {
    redraw_top_levels(flags | RDW_FRAME);
    return TRUE;
  }
  if (!checked_window(window)) return FALSE;
  redraw_window(window, area, flags);
  return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI RedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags) {
  std::lock_guard lock(platform_lock());
  if (!window) window = desktop().desktop_window;
  if (!checked_window(window)) return FALSE;
  OwnedRegion area;
  const pixman_region32_t* limit = nullptr;
  if (region) {
    limit = region_of(region);
  } else if (rect) {
    region_of_box(*rect, area);
    limit = &area.region;
  }
  if (window == desktop().desktop_window) {
    // The desktop paints nothing of its own; with RDW_ALLCHILDREN every top-level window
    // takes the flags, whole.
    if (flags & RDW_ALLCHILDREN) redraw_top_levels(flags);
    return TRUE;
  }
  redraw_window(window, limit, flags);
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  std::lock_guard lock(platform_lock());
  OwnedRegion area;
  if (rect) region_of_box(*rect, area);
  return redraw_through(window, rect ? &area.region : nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL WINAPI InvalidateRgn(HWND window, HRGN region, BOOL erase) {
  std::lock_guard lock(platform_lock());
  return redraw_through(window, region ? region_of(region) : nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL WINAPI ValidateRect(HWND window, const RECT* rect) {
  std::lock_guard lock(platform_lock());
  OwnedRegion area;
  if (rect) region_of_box(*rect, area);
  return redraw_through(window, rect ? &area.region : nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL WINAPI ValidateRgn(HWND window, HRGN region) {
  std::lock_guard lock(platform_lock());
  return redraw_through(window, region ? region_of(region) : nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL WINAPI UpdateWindow(HWND window) {
  std::lock_guard lock(platform_lock());
  if (!checked_window(window)) return FALSE;
  redraw_window(window, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND window, LPRECT rect, BOOL erase) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return FALSE;
  if (erase) {
    send_erase(window, nullptr);
    if (!(w = window_of(window))) return FALSE;
  }
  const bool pending = pixman_region32_not_empty(&w->update.region);
  if (rect) {
    const pixman_box32_t* e = pixman_region32_extents(&w->update.region);
    *rect = pending ? RECT{e->x1, e->y1, e->x2, e->y2} : RECT{0, 0, 0, 0};
  }
  return pending ? TRUE : FALSE;
}

int WINAPI GetUpdateRgn(HWND window, HRGN region, BOOL erase) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  auto* out = find<gdi::RegionObject>(region);
  if (!w || !out) return ERROR;
  if (erase) {
    send_erase(window, nullptr);
    if (!(w = window_of(window))) return ERROR;
  }
  pixman_region32_copy(&out->region, &w->update.region);
  return gdi::region_type(&out->region);
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w || !paint) return nullptr;
  // The update region is taken whole: what the program paints from here on is this one.
  OwnedRegion painting;
  pixman_region32_copy(&painting.region, &w->update.region);
  pixman_region32_clear(&w->update.region);
  w->internal_paint = false;
  HDC dc = window_context(window, false, &painting.region);
  if (!dc) return nullptr;
  send_erase(window, dc);
  if (!(w = window_of(window))) {  // destroyed by its own WM_NCPAINT or WM_ERASEBKGND
    ReleaseDC(window, dc);
    return nullptr;
  }
  *paint = PAINTSTRUCT{};
  paint->hdc = dc;
  paint->fErase = w->erase_refused ? TRUE : FALSE;
  w->erase_refused = false;
  const pixman_box32_t* e = pixman_region32_extents(&painting.region);
  if (pixman_region32_not_empty(&painting.region)) paint->rcPaint = RECT{e->x1, e->y1, e->x2, e->y2};
  return dc;
}

BOOL WINAPI PrintWindow(HWND window, HDC dc, UINT flags) {
  std::lock_guard lock(platform_lock());
  if (!checked_window(window)) return FALSE;
  const LPARAM what =
      PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN | PRF_OWNED | ((flags & PW_CLIENTONLY) ? 0 : PRF_NONCLIENT);
  send_message(window, WM_PRINT, reinterpret_cast<WPARAM>(dc), what);
  return TRUE;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  ReleaseDC(window, paint->hdc);
  return TRUE;
}

}  // extern "C"
