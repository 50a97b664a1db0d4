// Device contexts: memory contexts, the screen's, selections, colours and modes.
#include <cstdint>

#include "gdi/objects.h"
#include <veneer/headless/kernel_base.h>

namespace veneer::headless::gdi {

namespace {
WindowContextHooks& window_hooks() {
  static WindowContextHooks hooks;
  return hooks;
}
}  // namespace

void set_window_context_hooks(const WindowContextHooks& hooks) {
  std::lock_guard lock(platform_lock());
  window_hooks() = hooks;
}

DeviceContext* find_context(HDC dc) { return find_held<DeviceContext>(dc); }

void refresh_if_screen(const DeviceContext& dc) {
  if (dc.type == ContextType::Screen && window_hooks().compose_screen) window_hooks().compose_screen();
}

RECT drawable_rect(const DeviceContext& dc) {
  if (!dc.surface) return {0, 0, 0, 0};
  RECT r{0, 0, dc.surface->width, dc.surface->height};
  if (!dc.clip_is_surface) {
    if (dc.clip.left > r.left) r.left = dc.clip.left;
    if (dc.clip.top > r.top) r.top = dc.clip.top;
    if (dc.clip.right < r.right) r.right = dc.clip.right;
    if (dc.clip.bottom < r.bottom) r.bottom = dc.clip.bottom;
  }
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

HDC create_context(ContextType type) {
  std::lock_guard lock(platform_lock());
  HDC handle = create<DeviceContext, HDC>();
  if (!handle) return nullptr;
  DeviceContext* dc = find_context(handle);
  dc->type = type;
  dc->pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  dc->brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  dc->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  if (type == ContextType::Memory) {
    dc->bitmap = default_bitmap();
    dc->surface = find_held<BitmapObject>(dc->bitmap)->surface;
  } else if (type == ContextType::Screen) {
    dc->surface = screen_surface();
  }
  return handle;
}

bool destroy_context(HDC handle) {
  std::lock_guard lock(platform_lock());
  DeviceContext* dc = find_context(handle);
  if (!dc) return false;
  release_bitmap(*dc, handle);
  HGDIOBJ held[] = {dc->pen, dc->brush, dc->font};
  dc->surface.reset();
  erase_object(handle, ObjectKind::DeviceContext);
  for (HGDIOBJ o : held) release_selection(o);
  return true;
}

}  // namespace veneer::headless::gdi

using namespace veneer::headless;
using namespace veneer::headless::gdi;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC dc) {
  std::lock_guard lock(platform_lock());
  if (dc && !find_context(dc)) return nullptr;
  return create_context(ContextType::Memory);
}

BOOL WINAPI DeleteDC(HDC dc) { return destroy_context(dc) ? TRUE : FALSE; }

HDC WINAPI GetDC(HWND window) {
  std::lock_guard lock(platform_lock());
  if (window) return window_hooks().get_dc ? window_hooks().get_dc(window) : nullptr;
  return create_context(ContextType::Screen);
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c || c->type == ContextType::Memory) return 0;
  if (c->type == ContextType::Window) return window_hooks().release_dc ? window_hooks().release_dc(window, dc) : 0;
  return destroy_context(dc) ? 1 : 0;
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
  std::lock_guard lock(platform_lock());
  if (!find_context(dc)) return 0;
  // Every context reports the display's capabilities; a memory context is compatible with
  // the display whatever bitmap it holds (Wine reports 32 bits per pixel for one holding a
  // monochrome bitmap too).
  switch (index) {
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZRES:
      return screen_width;
    case VERTRES:
      return screen_height;
    case HORZSIZE:
      return screen_width * 254 / (screen_dpi * 10);
    case VERTSIZE:
      return screen_height * 254 / (screen_dpi * 10);
    case BITSPIXEL:
      return bits_of(screen_format);
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return screen_dpi;
    default:
      return 0;
  }
}

// The background and text colours: set returns the previous one, both give CLR_INVALID for a
// handle that is not a device context.
static COLORREF swap_colour(HDC dc, COLORREF DeviceContext::*field, COLORREF color) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c) return CLR_INVALID;
  COLORREF old = c->*field;
  c->*field = color;
  return old;
}

static COLORREF read_colour(HDC dc, COLORREF DeviceContext::*field) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  return c ? c->*field : CLR_INVALID;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) { return swap_colour(dc, &DeviceContext::bk_color, color); }
COLORREF WINAPI GetBkColor(HDC dc) { return read_colour(dc, &DeviceContext::bk_color); }
COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) { return swap_colour(dc, &DeviceContext::text_color, color); }
COLORREF WINAPI GetTextColor(HDC dc) { return read_colour(dc, &DeviceContext::text_color); }

int WINAPI SetBkMode(HDC dc, int mode) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c || (mode != TRANSPARENT && mode != OPAQUE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int old = c->bk_mode;
  c->bk_mode = mode;
  return old;
}

int WINAPI GetBkMode(HDC dc) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  return c ? c->bk_mode : 0;
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c || mode < BLACKONWHITE || mode > MAXSTRETCHBLTMODE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int old = c->stretch_mode;
  c->stretch_mode = mode;
  return old;
}

int WINAPI GetStretchBltMode(HDC dc) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  return c ? c->stretch_mode : 0;
}

BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c) return FALSE;
  if (previous) *previous = c->position;
  c->position = {x, y};
  return TRUE;
}

BOOL WINAPI GetCurrentPositionEx(HDC dc, LPPOINT position) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c || !position) return FALSE;
  *position = c->position;
  return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  std::lock_guard lock(platform_lock());
  if (!call_allowed_held("SelectObject")) return nullptr;
  // The context keeps and compares the handles as they were issued.
  void* dc_handle = dc;
  Object* dc_object = find_canonical_held(dc_handle);
  dc = static_cast<HDC>(dc_handle);
  Object* o = find_canonical_held(object);
  if (!dc_object || dc_object->kind != ObjectKind::DeviceContext || !o) return nullptr;
  auto* c = static_cast<DeviceContext*>(dc_object);
  switch (o->kind) {
    case ObjectKind::Bitmap: {
      auto* b = static_cast<BitmapObject*>(o);
      if (c->type != ContextType::Memory) return nullptr;
      if (c->bitmap == object) return object;
      // A bitmap lives in one memory context at a time (the stock default bitmap excepted).
      if (b->delete_pending || (!b->permanent && b->selected_into && b->selected_into != dc)) return nullptr;
      HGDIOBJ old = c->bitmap;
      release_bitmap(*c, dc);
      if (!b->permanent) b->selected_into = dc;
      c->bitmap = static_cast<HBITMAP>(object);
      c->surface = b->surface;
      return old;
    }
    case ObjectKind::Pen:
    case ObjectKind::Brush:
    case ObjectKind::Font: {
      HGDIOBJ old = o->kind == ObjectKind::Pen     ? static_cast<HGDIOBJ>(c->pen)
                    : o->kind == ObjectKind::Brush ? static_cast<HGDIOBJ>(c->brush)
                                                   : static_cast<HGDIOBJ>(c->font);
      if (old == object) return old;
      add_selection(object);
      if (o->kind == ObjectKind::Pen)
        c->pen = static_cast<HPEN>(object);
      else if (o->kind == ObjectKind::Brush)
        c->brush = static_cast<HBRUSH>(object);
      else
        c->font = static_cast<HFONT>(object);
      release_selection(old);
      return old;
    }
    case ObjectKind::Region:
      // Selecting a region sets the clip region, and the result is its type.
      return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(SelectClipRgn(dc, static_cast<HRGN>(object))));
    default:
      return nullptr;
  }
}

HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type) {
  std::lock_guard lock(platform_lock());
  DeviceContext* c = find_context(dc);
  if (!c) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return c->pen;
    case OBJ_BRUSH:
      return c->brush;
    case OBJ_FONT:
      return c->font;
    case OBJ_BITMAP:
      return c->type == ContextType::Memory ? c->bitmap : default_bitmap();
    default:
      return nullptr;
  }
}

}  // extern "C"
