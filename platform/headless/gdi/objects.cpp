// Surfaces, colours, stock objects and the calls that work on any GDI object.
#include "gdi/objects.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "gdi/dib_header.h"
#include <veneer/headless/kernel_base.h>

namespace veneer::headless::gdi {

std::shared_ptr<Surface> screen_surface() {
  static std::shared_ptr<Surface>* screen = nullptr;
  std::lock_guard lock(platform_lock());
  if (!screen)
    screen = new std::shared_ptr<Surface>(Surface::make(screen_width, screen_height, screen_format, 4, false));
  return *screen;
}

// ---- Colours

namespace {

// The default palette's twenty entries, as 0x00BBGGRR.
constexpr COLORREF default_palette[20] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
                                          0xc0c0c0, 0xc0dcc0, 0xf0caa6, 0xf0fbff, 0xa4a0a0, 0x808080, 0x0000ff,
                                          0x00ff00, 0x00ffff, 0xff0000, 0xff00ff, 0xffff00, 0xffffff};

}  // namespace

COLORREF resolve_color(COLORREF color) {
  if (color & 0x01000000) {
    WORD index = static_cast<WORD>(color & 0xffff);
    return index < 20 ? default_palette[index] : default_palette[0];
  }
  return color & 0x00ffffff;
}

std::uint32_t nearest_mono(std::uint32_t colour_pixel) {
  std::uint32_t r = (colour_pixel >> 16) & 0xff, g = (colour_pixel >> 8) & 0xff, b = colour_pixel & 0xff;
  // A tie goes to black.
  std::uint32_t to_black = r * r + g * g + b * b;
  std::uint32_t to_white = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
  return to_white < to_black ? 1 : 0;
}

std::uint32_t pixel_of(COLORREF color, PixelFormat format) {
  COLORREF c = resolve_color(color);
  std::uint32_t rgb = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  switch (format) {
    case PixelFormat::Mono:
      return nearest_mono(rgb);
    case PixelFormat::Bgr24:
    case PixelFormat::Bgrx32:
      return rgb;
  }
  unknown_pixel_format();
}

std::uint32_t pen_pixel_of(const DeviceContext& dc, COLORREF color) {
  PixelFormat format = dc.surface ? dc.surface->format : PixelFormat::Mono;
  if (format != PixelFormat::Mono) return pixel_of(color, format);
  COLORREF c = resolve_color(color);
  if (c == 0) return 0;
  if (c == 0xffffff) return 1;
  std::uint32_t bk = pixel_of(dc.bk_color, PixelFormat::Mono);
  return color == dc.bk_color ? bk : bk ^ 1;
}

COLORREF color_of_pixel(std::uint32_t pixel, PixelFormat format) {
  switch (format) {
    case PixelFormat::Mono:
      return pixel ? 0xffffff : 0;
    case PixelFormat::Bgr24:
    case PixelFormat::Bgrx32:
      return RGB((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
  }
  unknown_pixel_format();
}

// ---- Stock objects

namespace {

struct StockObjects {
  HGDIOBJ objects[20] = {};
  HBITMAP default_bitmap = nullptr;
};

template <typename T>
HGDIOBJ make_stock(std::unique_ptr<T> object) {
  object->permanent = true;
  return insert_object(std::move(object));
}

HGDIOBJ stock_brush(UINT style, COLORREF color) {
  auto b = std::make_unique<BrushObject>();
  b->logbrush = {style, color, 0};
  return make_stock(std::move(b));
}

HGDIOBJ stock_pen(UINT style, LONG width, COLORREF color) {
  auto p = std::make_unique<PenObject>();
  p->logpen = {style, {width, 0}, color};
  return make_stock(std::move(p));
}

HGDIOBJ stock_font(const char* face, LONG height, LONG width, LONG weight, BYTE charset, BYTE pitch_and_family) {
  auto f = std::make_unique<FontObject>();
  f->logfont.lfHeight = height;
  f->logfont.lfWidth = width;
  f->logfont.lfWeight = weight;
  f->logfont.lfCharSet = charset;
  f->logfont.lfPitchAndFamily = pitch_and_family;
  std::strncpy(f->logfont.lfFaceName, face, LF_FACESIZE - 1);
  return make_stock(std::move(f));
}

StockObjects& stock() {
  // Made once under the lock; every later call (each new context asks four times) only reads
  // the pointer.
  static std::atomic<StockObjects*> made{nullptr};
  if (StockObjects* ready = made.load(std::memory_order_acquire)) return *ready;
  std::lock_guard lock(platform_lock());
  if (StockObjects* ready = made.load(std::memory_order_relaxed)) return *ready;
  auto* s = new StockObjects;
  // Colours, sizes and faces as Win32 (Wine) reports them through GetObjectA.
  s->objects[WHITE_BRUSH] = stock_brush(BS_SOLID, 0xffffff);
  s->objects[LTGRAY_BRUSH] = stock_brush(BS_SOLID, 0xc0c0c0);
  s->objects[GRAY_BRUSH] = stock_brush(BS_SOLID, 0x808080);
  s->objects[DKGRAY_BRUSH] = stock_brush(BS_SOLID, 0x404040);
  s->objects[BLACK_BRUSH] = stock_brush(BS_SOLID, 0x000000);
  s->objects[NULL_BRUSH] = stock_brush(BS_NULL, 0x000000);
  s->objects[WHITE_PEN] = stock_pen(PS_SOLID, 0, 0xffffff);
  s->objects[BLACK_PEN] = stock_pen(PS_SOLID, 0, 0x000000);
  s->objects[NULL_PEN] = stock_pen(PS_NULL, 1, 0x000000);
  s->objects[OEM_FIXED_FONT] = stock_font("", 12, 0, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN);
  s->objects[ANSI_FIXED_FONT] = stock_font("Courier", 12, 0, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN);
  s->objects[ANSI_VAR_FONT] = stock_font("MS Sans Serif", 12, 0, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
  s->objects[SYSTEM_FONT] = stock_font("System", 16, 7, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
  s->objects[DEVICE_DEFAULT_FONT] = stock_font("System", 16, 0, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
  s->objects[SYSTEM_FIXED_FONT] = stock_font("Courier", 16, 0, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN);
  s->objects[DEFAULT_GUI_FONT] = stock_font("MS Shell Dlg", -11, 0, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
  // Without SetDCBrushColor and SetDCPenColor the context's own brush and pen keep their
  // default colours.
  s->objects[DC_BRUSH] = stock_brush(BS_SOLID, 0xffffff);
  s->objects[DC_PEN] = stock_pen(PS_SOLID, 0, 0x000000);
  // Every new memory context starts with this 1x1 monochrome bitmap; unlike other bitmaps it
  // may be selected into any number of contexts.
  auto b = std::make_unique<BitmapObject>();
  b->surface = Surface::make(1, 1, PixelFormat::Mono, 2, false);
  s->default_bitmap = static_cast<HBITMAP>(make_stock(std::move(b)));
  made.store(s, std::memory_order_release);
  return *s;
}

}  // namespace

bool take_region_for_window(HRGN region) {
  std::lock_guard lock(platform_lock());
  RegionObject* r = find<RegionObject>(region);
  if (!r) return false;
  r->window_shape = true;
  return true;
}

void delete_window_region(HRGN region) {
  std::lock_guard lock(platform_lock());
  if (RegionObject* r = find<RegionObject>(region)) {
    r->window_shape = false;
    erase_object(region, ObjectKind::Region);
  }
}

HBRUSH make_permanent_brush(COLORREF color) { return static_cast<HBRUSH>(stock_brush(BS_SOLID, color)); }

HBITMAP default_bitmap() { return stock().default_bitmap; }

const PenObject* selected_pen(const DeviceContext& dc) {
  const PenObject* p = find_held<PenObject>(dc.pen);
  return p && p->logpen.lopnStyle != PS_NULL ? p : nullptr;
}

const BrushObject* selected_brush(const DeviceContext& dc) {
  const BrushObject* b = find_held<BrushObject>(dc.brush);
  return b && b->logbrush.lbStyle != BS_NULL ? b : nullptr;
}

// Drops one selection of a pen, brush or font, completing a deletion that waited for it.
void release_selection(HGDIOBJ handle) {
  Object* o = find_any_object_held(handle);
  if (!o || o->permanent) return;
  if (o->kind != ObjectKind::Pen && o->kind != ObjectKind::Brush && o->kind != ObjectKind::Font) return;
  auto* s = static_cast<SelectableObject*>(o);
  if (s->selections > 0) --s->selections;
  if (s->selections == 0 && s->delete_pending) erase_object(handle, o->kind);
}

void release_bitmap(DeviceContext& dc, HDC handle) {
  BitmapObject* b = find_held<BitmapObject>(dc.bitmap);
  if (!b || b->selected_into != handle) return;
  b->selected_into = nullptr;
  if (b->delete_pending) erase_object(dc.bitmap, ObjectKind::Bitmap);
}

void add_selection(HGDIOBJ handle) {
  Object* o = find_any_object_held(handle);
  if (!o || o->permanent) return;
  if (o->kind == ObjectKind::Pen || o->kind == ObjectKind::Brush || o->kind == ObjectKind::Font)
    ++static_cast<SelectableObject*>(o)->selections;
}

}  // namespace veneer::headless::gdi

using namespace veneer::headless;
using namespace veneer::headless::gdi;

namespace {

template <typename Record>
int copy_record(const Record& record, int size, LPVOID buffer) {
  if (!buffer) return sizeof(Record);
  if (size <= 0) return 0;
  int n = size < static_cast<int>(sizeof(Record)) ? size : static_cast<int>(sizeof(Record));
  std::memcpy(buffer, &record, static_cast<std::size_t>(n));
  return n;
}

BITMAP bitmap_record(const BitmapObject& b) {
  BITMAP r{};
  const Surface& s = *b.surface;
  r.bmType = 0;
  r.bmWidth = s.width;
  r.bmHeight = s.height;
  r.bmWidthBytes = static_cast<LONG>(b.dib_section ? s.row_bytes : ddb_row_bytes(s.width, s.format));
  r.bmPlanes = 1;
  r.bmBitsPixel = static_cast<WORD>(bits_of(s.format));
  // A DIB section shows its bits from the first row in memory (the bottom row when bottom-up).
  s.ready();  // a program may read the bits straight away
  r.bmBits = b.dib_section ? const_cast<std::uint8_t*>(s.storage.data()) : nullptr;
  return r;
}

}  // namespace

extern "C" {

int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer) {
  std::lock_guard lock(platform_lock());
  Object* o = find_any_object_held(object);
  if (!o) return 0;
  switch (o->kind) {
    case ObjectKind::Bitmap: {
      auto* b = static_cast<BitmapObject*>(o);
      if (b->delete_pending) return 0;  // already deleted for every purpose but its context's
      if (!buffer) return sizeof(BITMAP);
      if (b->dib_section && size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds{};
        ds.dsBm = bitmap_record(*b);
        ds.dsBmih = b->dib_header;
        // As on Win32, the record does not tell a top-down section from a bottom-up one.
        if (ds.dsBmih.biHeight < 0) ds.dsBmih.biHeight = -ds.dsBmih.biHeight;
        ds.dsBmih.biSizeImage = static_cast<DWORD>(b->surface->storage.size());
        // A bit-field section can only have been made with the standard masks.
        if (ds.dsBmih.biCompression == BI_BITFIELDS) std::copy(bgrx32_masks, bgrx32_masks + 3, ds.dsBitfields);
        std::memcpy(buffer, &ds, sizeof ds);
        return sizeof(DIBSECTION);
      }
      if (size < static_cast<int>(sizeof(BITMAP))) return 0;
      BITMAP r = bitmap_record(*b);
      std::memcpy(buffer, &r, sizeof r);
      return sizeof(BITMAP);
    }
    case ObjectKind::Pen:
      return copy_record(static_cast<PenObject*>(o)->logpen, size, buffer);
    case ObjectKind::Brush:
      return copy_record(static_cast<BrushObject*>(o)->logbrush, size, buffer);
    case ObjectKind::Font:
      return copy_record(static_cast<FontObject*>(o)->logfont, size, buffer);
    default:
      return 0;
  }
}

DWORD WINAPI GetObjectType(HGDIOBJ object) {
  std::lock_guard lock(platform_lock());
  Object* o = find_any_object_held(object);
  if (!o) return 0;
  switch (o->kind) {
    case ObjectKind::Pen:
      return OBJ_PEN;
    case ObjectKind::Brush:
      return OBJ_BRUSH;
    case ObjectKind::Font:
      return OBJ_FONT;
    case ObjectKind::Bitmap:
      return OBJ_BITMAP;
    case ObjectKind::Region:
      return OBJ_REGION;
    case ObjectKind::DeviceContext:
      return static_cast<DeviceContext*>(o)->type == ContextType::Memory ? OBJ_MEMDC : OBJ_DC;
    default:
      return 0;
  }
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  std::lock_guard lock(platform_lock());
  Object* o = find_any_object_held(object);
  if (!o) return FALSE;
  if (o->permanent) return TRUE;  // stock objects stay; Win32 reports success
  switch (o->kind) {
    case ObjectKind::Bitmap: {
      // A selected bitmap stays until its context lets it go, as Win32 (Wine) keeps it.
      auto* b = static_cast<BitmapObject*>(o);
      if (b->selected_into) {
        b->delete_pending = true;
        return TRUE;
      }
      return erase_object(object, ObjectKind::Bitmap);
    }
    case ObjectKind::Pen:
    case ObjectKind::Brush:
    case ObjectKind::Font: {
      auto* s = static_cast<SelectableObject*>(o);
      if (s->selections > 0) {
        s->delete_pending = true;
        return TRUE;
      }
      return erase_object(object, o->kind);
    }
    case ObjectKind::Region:
      // A window's shape belongs to the window.
      if (static_cast<RegionObject*>(o)->window_shape) return FALSE;
      return erase_object(object, ObjectKind::Region);
    default:
      return FALSE;
  }
}

HGDIOBJ WINAPI GetStockObject(int index) {
  if (index < 0 || index >= 20) return nullptr;
  return stock().objects[index];
}

BOOL WINAPI GdiFlush() { return TRUE; }  // drawing is never batched here

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
  std::lock_guard lock(platform_lock());
  auto handle = create<PenObject, HPEN>();
  if (!handle) return nullptr;
  auto* p = find<PenObject>(handle);
  p->logpen.lopnStyle = static_cast<UINT>(style);
  p->logpen.lopnWidth = {width < 0 ? -width : width, 0};
  p->logpen.lopnColor = color;
  return handle;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  std::lock_guard lock(platform_lock());
  auto handle = create<BrushObject, HBRUSH>();
  if (!handle) return nullptr;
  find<BrushObject>(handle)->logbrush = {BS_SOLID, color, 0};
  return handle;
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* logfont) {
  if (!logfont) return nullptr;
  std::lock_guard lock(platform_lock());
  auto handle = create<FontObject, HFONT>();
  if (!handle) return nullptr;
  LOGFONTA& lf = find<FontObject>(handle)->logfont;
  lf = *logfont;
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  return handle;
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strike_out, DWORD char_set, DWORD out_precision, DWORD clip_precision,
                         DWORD quality, DWORD pitch_and_family, LPCSTR face_name) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strike_out);
  lf.lfCharSet = static_cast<BYTE>(char_set);
  lf.lfOutPrecision = static_cast<BYTE>(out_precision);
  lf.lfClipPrecision = static_cast<BYTE>(clip_precision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitch_and_family);
  if (face_name) std::strncpy(lf.lfFaceName, face_name, LF_FACESIZE - 1);  // longer names are cut, as Win32 does
  return CreateFontIndirectA(&lf);
}

}  // extern "C"
