// The pixels of windows: each top-level window draws into a surface of its own, the size of
// its window rectangle, and its child windows draw into the same surface. A window's context
// is limited to the window's part of that surface, less the windows that cover it there, and
// its shape. The screen is composed from these surfaces when it is read.
#include <algorithm>

#include "user/window_paint.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;

namespace veneer::headless {
namespace {

// Windows larger than this (in pixels, or on a side) have no surface: drawing into them is
// lost, as it is for the parts of a window outside the screen on Win32.
constexpr long long max_surface_side = 16384;
constexpr long long max_surface_pixels = 4096LL * 4096;

const Window* top_level_of(const Window& w) {
  const Window* at = &w;
  while ((at->style & WS_CHILD) && window_of(at->parent) && at->parent != desktop().desktop_window)
    at = window_of(at->parent);
  return at;
}

// Where a window's top-left corner lies on its top-level window's surface.
POINT origin_on_surface(const Window& w) {
  const Window* top = top_level_of(w);
  const RECT own = screen_rect(w), base = screen_rect(*top);
  return POINT{wrapped_sum(own.left, -static_cast<long long>(base.left)),
               wrapped_sum(own.top, -static_cast<long long>(base.top))};
}

// The client area's offset within the window rectangle.
POINT client_offset(const Window& w) {
  const RECT c = client_rect_in_parent(w);
  return POINT{wrapped_sum(c.left, -static_cast<long long>(w.rect.left)),
               wrapped_sum(c.top, -static_cast<long long>(w.rect.top))};
}

// Cuts a window's shape (window coordinates), placed at `origin` on the surface, out of
// everything else.
void keep_shape(const Window& w, POINT origin, pixman_region32_t& region) {
  if (!w.region) return;
  const auto* shape = find<gdi::RegionObject>(w.region);
  if (!shape) return;
  gdi::OwnedRegion placed;
  pixman_region32_copy(&placed.region, const_cast<pixman_region32_t*>(&shape->region));
  pixman_region32_translate(&placed.region, origin.x, origin.y);
  pixman_region32_intersect(&region, &region, &placed.region);
}

// A window's rectangle (whole_window) or client area on its top-level window's surface,
// without its shape.
void set_area_on_surface(const Window& w, bool whole_window, pixman_region32_t& region) {
  const POINT o = origin_on_surface(w);
  const RECT r = whole_window ? w.rect : client_rect_in_parent(w);
  const POINT off = whole_window ? POINT{0, 0} : client_offset(w);
  const long long left = static_cast<long long>(o.x) + off.x, top = static_cast<long long>(o.y) + off.y;
  set_region_box(region, left, top, left + (static_cast<long long>(r.right) - r.left),
                 top + (static_cast<long long>(r.bottom) - r.top));
}

void remove_window(const Window& w, pixman_region32_t& region) {
  if (!(w.style & WS_VISIBLE)) return;
  gdi::OwnedRegion covered;
  set_area_on_surface(w, true, covered.region);
  keep_shape(w, origin_on_surface(w), covered.region);
  pixman_region32_subtract(&region, &region, &covered.region);
}

// Where a window's context may draw on its top-level window's surface.
void visible_part(const Window& w, bool whole_window, pixman_region32_t& region) {
  if (!shown_on_desktop(w)) {
    pixman_region32_clear(&region);
    return;
  }
  const POINT o = origin_on_surface(w);
  set_area_on_surface(w, whole_window, region);
  keep_shape(w, o, region);
  // Each ancestor's client area and shape bound it.
  for (const Window* child = &w; (child->style & WS_CHILD) && child->parent != desktop().desktop_window;) {
    const Window* parent = window_of(child->parent);
    if (!parent) break;
    gdi::OwnedRegion bound;
    set_area_on_surface(*parent, false, bound.region);
    keep_shape(*parent, origin_on_surface(*parent), bound.region);
    pixman_region32_intersect(&region, &region, &bound.region);
    // Siblings above a window that clips them cover it.
    if (child->style & WS_CLIPSIBLINGS) {
      for (HWND s : parent->children) {
        if (s == child->self) break;
        if (const Window* sibling = window_of(s)) remove_window(*sibling, region);
      }
    }
    child = parent;
  }
  if (w.style & WS_CLIPCHILDREN)
    for (HWND c : w.children)
      if (const Window* child = window_of(c)) remove_window(*child, region);
}

// The surface a window draws into, made (all zero) on first use; null when its top-level
// window is too large to hold one.
std::shared_ptr<gdi::Surface> surface_for(const Window& w) {
  Window* top = window_of(top_level_of(w)->self);
  if (!top) return nullptr;
  const long long width = static_cast<long long>(top->rect.right) - top->rect.left;
  const long long height = static_cast<long long>(top->rect.bottom) - top->rect.top;
  if (top->surface && (top->surface->width != width || top->surface->height != height)) top->surface.reset();
  if (!top->surface && width > 0 && height > 0 && width <= max_surface_side && height <= max_surface_side &&
      width * height <= max_surface_pixels)
    top->surface = gdi::Surface::make(static_cast<int>(width), static_cast<int>(height), gdi::screen_format, 4, false);
  return top->surface;
}

HDC get_dc_hook(HWND window) {
  if (!checked_window(window)) return nullptr;
  return window_context(window, false, nullptr);
}

int release_dc_hook(HWND, HDC dc) { return gdi::destroy_context(dc) ? 1 : 0; }

// Copies what shows of each visible top-level window, from the top down, each through its
// shape and past what the windows above it cover; the desktop's colour fills what no window
// covers. Each pixel of the screen is written once.
void compose_screen() {
  const auto screen = gdi::screen_surface();
  if (!screen) return;
  // The platform's own windows (the shell's) have no message loop: they are painted here.
  const DWORD platform_thread = desktop_identity().thread_id;
  if (const Window* d = window_of(desktop().desktop_window))
    for (HWND h : std::vector<HWND>(d->children))
      if (const Window* w = window_of(h); w && w->thread_id == platform_thread && (w->style & WS_VISIBLE))
        redraw_window(h, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  gdi::OwnedRegion uncovered;
  set_region_box(uncovered.region, 0, 0, screen->width, screen->height);
  if (const Window* d = window_of(desktop().desktop_window)) {
    for (HWND h : d->children) {
      const Window* w = window_of(h);
      if (!w || !(w->style & WS_VISIBLE) || !w->surface) continue;
      const gdi::Surface& pixels = *w->surface;
      gdi::OwnedRegion shown;
      set_region_box(shown.region, 0, 0, pixels.width, pixels.height);
      keep_shape(*w, POINT{0, 0}, shown.region);
      pixman_region32_translate(&shown.region, w->rect.left, w->rect.top);
      pixman_region32_intersect(&shown.region, &shown.region, &uncovered.region);
      pixman_region32_subtract(&uncovered.region, &uncovered.region, &shown.region);
      int n = 0;
      const pixman_box32_t* boxes = pixman_region32_rectangles(&shown.region, &n);
      for (int i = 0; i < n; ++i) {
        const pixman_box32_t& b = boxes[i];
        for (int y = b.y1; y < b.y2; ++y) {
          const auto* from =
              reinterpret_cast<const std::uint32_t*>(pixels.row(y - w->rect.top)) + (b.x1 - w->rect.left);
          std::copy(from, from + (b.x2 - b.x1), reinterpret_cast<std::uint32_t*>(screen->row(y)) + b.x1);
        }
      }
      if (!pixman_region32_not_empty(&uncovered.region)) return;
    }
  }
  const std::uint32_t background = gdi::pixel_of(GetSysColor(COLOR_DESKTOP), screen->format);
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&uncovered.region, &n);
  for (int i = 0; i < n; ++i)
    for (int y = boxes[i].y1; y < boxes[i].y2; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(screen->row(y));
      std::fill(row + boxes[i].x1, row + boxes[i].x2, background);
    }
}

const bool hooks_installed =
    (gdi::set_window_context_hooks(gdi::WindowContextHooks{get_dc_hook, release_dc_hook, compose_screen}), true);

}  // namespace

HDC window_context(HWND window, bool whole_window, const pixman_region32_t* limit) {
  Window* w = window_of(window);
  if (!w) return nullptr;
  HDC handle = gdi::create_context(gdi::ContextType::Window);
  gdi::DeviceContext* dc = handle ? gdi::find_context(handle) : nullptr;
  if (!dc) return nullptr;
  dc->window = window;
  dc->surface = surface_for(*w);
  const POINT o = origin_on_surface(*w);
  const POINT off = whole_window ? POINT{0, 0} : client_offset(*w);
  dc->origin = POINT{wrapped_sum(o.x, off.x), wrapped_sum(o.y, off.y)};
  dc->clip_is_surface = false;
  dc->visible_region = std::make_unique<gdi::OwnedRegion>();
  visible_part(*w, whole_window, dc->visible_region->region);
  if (limit) {
    gdi::OwnedRegion placed;
    pixman_region32_copy(&placed.region, const_cast<pixman_region32_t*>(limit));
    pixman_region32_translate(&placed.region, dc->origin.x, dc->origin.y);
    pixman_region32_intersect(&dc->visible_region->region, &dc->visible_region->region, &placed.region);
  }
  const pixman_box32_t* e = pixman_region32_extents(&dc->visible_region->region);
  dc->clip = RECT{e->x1, e->y1, e->x2, e->y2};
  return handle;
}

}  // namespace veneer::headless

extern "C" HDC WINAPI GetWindowDC(HWND window) {
  std::lock_guard lock(platform_lock());
  if (!window) return GetDC(nullptr);
  if (!checked_window(window)) return nullptr;
  return window_context(window, true, nullptr);
}
