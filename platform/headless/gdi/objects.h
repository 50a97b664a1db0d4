// The objects behind the headless GDI's handles, for the platform's own code only (never for
// programs): the GDI itself, text drawing (which draws into a context's selected bitmap with
// its font and colours) and the window manager (which gives windows their contexts and may
// take a region as a window's shape). Every access happens under platform_lock().
//
// Coordinates: a context draws into its surface at (x + origin.x, y + origin.y) and never
// outside `clip` (surface coordinates), which a memory or screen context keeps as the whole
// surface, nor outside the program's clip region when it has one. Drawing code finds where it
// may draw through for_each_clip_rect() (gdi/clip.h) and nowhere else. Surfaces and their pixel
// layouts are described in gdi/surface.h.
#pragma once

#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "gdi/surface.h"
#include "kernel/object_table.h"
#include <veneer/headless/gdi.h>

namespace veneer::headless::gdi {

// The screen of the headless desktop, as Wine's null display reports its own.
constexpr int screen_width = 1024;
constexpr int screen_height = 768;
constexpr PixelFormat screen_format = PixelFormat::Bgrx32;
constexpr int screen_dpi = 96;

// An object that contexts select (pen, brush, font): deleting it while a context holds it
// is deferred until the last context lets it go, as Win32 does.
struct SelectableObject : Object {
  using Object::Object;
  unsigned selections = 0;
  bool delete_pending = false;
};

struct BitmapObject : Object {
  static constexpr ObjectKind object_kind = ObjectKind::Bitmap;
  BitmapObject() : Object(object_kind) {}
  std::shared_ptr<Surface> surface;
  bool dib_section = false;
  BITMAPINFOHEADER dib_header{};  // of a DIB section: as created (the sign of the height kept)
  HDC selected_into = nullptr;    // the memory context holding it; a bitmap is in one at most
  bool delete_pending = false;    // deleted while selected: goes when its context lets it go
};

struct PenObject : SelectableObject {
  static constexpr ObjectKind object_kind = ObjectKind::Pen;
  PenObject() : SelectableObject(object_kind) {}
  LOGPEN logpen{};
};

struct BrushObject : SelectableObject {
  static constexpr ObjectKind object_kind = ObjectKind::Brush;
  BrushObject() : SelectableObject(object_kind) {}
  LOGBRUSH logbrush{};
};

// A logical font: what was asked for. Realising it (finding a face, measuring, drawing glyphs)
// is the text area's business.
struct FontObject : SelectableObject {
  static constexpr ObjectKind object_kind = ObjectKind::Font;
  FontObject() : SelectableObject(object_kind) {}
  LOGFONTA logfont{};
};

// A pixman region that frees itself.
struct OwnedRegion {
  OwnedRegion() { pixman_region32_init(&region); }
  ~OwnedRegion() { pixman_region32_fini(&region); }
  OwnedRegion(const OwnedRegion&) = delete;
  OwnedRegion& operator=(const OwnedRegion&) = delete;
  pixman_region32_t region;
};

// A region: pixman's banded region of half-open rectangles, the model GDI regions share.
struct RegionObject : Object {
  static constexpr ObjectKind object_kind = ObjectKind::Region;
  RegionObject() : Object(object_kind) { pixman_region32_init(&region); }
  ~RegionObject() override { pixman_region32_fini(&region); }
  pixman_region32_t region;
  bool window_shape = false;  // a window's shape (SetWindowRgn): the window deletes it, no one else
};

// NULLREGION, SIMPLEREGION or COMPLEXREGION: the type Win32 reports for a region.
inline int region_type(const pixman_region32_t* region) {
  const int n = pixman_region32_n_rects(const_cast<pixman_region32_t*>(region));
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}
// A rectangle given by corners in any order, as a box (empty when it has no area).
inline pixman_box32_t normalised_box(int left, int top, int right, int bottom) {
  return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

// A region becomes a window's shape (false when the handle is not a region); a shape the
// window lets go is deleted.
bool take_region_for_window(HRGN region);
void delete_window_region(HRGN region);

enum class ContextType { Memory, Screen, Window };

struct DeviceContext : Object {
  static constexpr ObjectKind object_kind = ObjectKind::DeviceContext;
  DeviceContext() : Object(object_kind) {}
  ContextType type = ContextType::Memory;
  HWND window = nullptr;  // of a window context

  // The surface drawn into: a memory context's selected bitmap (`bitmap`), the screen, or the
  // surface the window manager gives a window's context.
  HBITMAP bitmap = nullptr;
  std::shared_ptr<Surface> surface;
  POINT origin{};               // where the context's (0, 0) lies on the surface
  RECT clip{};                  // the part of the surface the context may draw into (surface coordinates)
  bool clip_is_surface = true;  // memory and screen contexts: clip follows the whole surface
  // The program's clip region (SelectClipRgn and the calls that narrow it), in the context's
  // own coordinates, before the origin, as Win32 keeps it: it outlives a change of bitmap and
  // may reach past the surface. Null: the program set none.
  std::unique_ptr<OwnedRegion> clip_region;
  // Where a window's context may draw at all, in surface coordinates: the window's part of
  // its surface less what covers it, its shape and, while it paints, its update region. The
  // window manager sets it; drawing stays inside it and inside `clip`. Null: `clip` alone.
  std::unique_ptr<OwnedRegion> visible_region;

  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  COLORREF bk_color = 0x00FFFFFF;
  COLORREF text_color = 0;
  int bk_mode = OPAQUE;
  int stretch_mode = BLACKONWHITE;
  POINT position{};
};

// The context behind a handle, or null; the caller holds platform_lock().
DeviceContext* find_context(HDC dc);
// The drawable rectangle of a context, in surface coordinates (empty when it has no surface).
RECT drawable_rect(const DeviceContext& dc);

// The screen's pixels, made on first use.
std::shared_ptr<Surface> screen_surface();

// Makes a context with the stock pen, brush and font and the default colours selected; for
// window contexts the window manager then sets surface, origin and clip. Null when the fault
// hook or the table refuses it.
HDC create_context(ContextType type);
// Releases a context: deselects its objects (completing deferred deletions) and destroys it.
bool destroy_context(HDC dc);

// Window contexts come from the window manager, which installs these; GetDC and ReleaseDC
// call them for a non-null window (without them such calls fail). compose_screen brings the
// screen's pixels up to date (the desktop and the windows on it) before anyone reads them.
struct WindowContextHooks {
  HDC (*get_dc)(HWND window) = nullptr;
  int (*release_dc)(HWND window, HDC dc) = nullptr;
  void (*compose_screen)() = nullptr;
};
void set_window_context_hooks(const WindowContextHooks& hooks);
// Before the pixels of a context are read: a screen context's are composed first.
void refresh_if_screen(const DeviceContext& dc);

// Colours. A COLORREF with bit 24 set names an entry of the default 20-colour palette (its low
// word the index); otherwise its top byte is ignored, as Win32 does.
COLORREF resolve_color(COLORREF color);
// The pixel value of a colour in a format: 0x00RRGGBB in colour; in monochrome the nearer of
// black and white.
std::uint32_t pixel_of(COLORREF color, PixelFormat format);
// The nearer of black (0) and white (1) to a colour pixel's 0x??RRGGBB.
std::uint32_t nearest_mono(std::uint32_t colour_pixel);
// A pen's pixel: on a monochrome surface a colour other than pure black or white is drawn as
// the context's background colour when it equals it, and as the opposite otherwise.
std::uint32_t pen_pixel_of(const DeviceContext& dc, COLORREF color);
// The colour a pixel value stands for.
COLORREF color_of_pixel(std::uint32_t pixel, PixelFormat format);

// A solid brush that, like the stock objects, is never deleted (the system colours' brushes).
HBRUSH make_permanent_brush(COLORREF color);
// The 1x1 monochrome bitmap every new memory context holds (a stock object).
HBITMAP default_bitmap();
// A zero-filled DIB section of one of the surface formats, monochrome included (which
// CreateDIBSection does not offer: this GDI has no colour tables); null with the last error set
// when it cannot be made.
HBITMAP create_dib_section(int width, int height, PixelFormat format, bool bottom_up);
// Selection counts of pens, brushes and fonts; releasing the last selection of an object
// whose deletion was asked for deletes it.
void add_selection(HGDIOBJ object);
void release_selection(HGDIOBJ object);
// A memory context lets its bitmap go (completing a deletion that waited for it).
void release_bitmap(DeviceContext& dc, HDC handle);

// The selected pen and brush (null pen or brush: nothing to draw).
const PenObject* selected_pen(const DeviceContext& dc);
const BrushObject* selected_brush(const DeviceContext& dc);

}  // namespace veneer::headless::gdi
