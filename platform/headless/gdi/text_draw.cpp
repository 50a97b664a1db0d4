// Laying text out (DrawTextA) and drawing glyphs into a context's surface (TextOutA).
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gdi/clip.h"
#include "gdi/objects.h"
#include "gdi/raster.h"
#include "gdi/text_fonts.h"

using namespace veneer::headless;

namespace {

// One line of DrawTextA after prefix processing: the characters to draw and the index (in
// them) of the underlined mnemonic, or -1.
struct Line {
  std::string chars;
  int mnemonic = -1;
};

std::vector<Line> split_lines(const char* text, int count, UINT format) {
  std::vector<Line> lines(1);
  for (int i = 0; i < count; ++i) {
    const char c = text[i];
    if (!(format & DT_SINGLELINE) && (c == '\r' || c == '\n')) {
      if (c == '\r' && i + 1 < count && text[i + 1] == '\n') ++i;
      lines.emplace_back();
      continue;
    }
    Line& line = lines.back();
    if (!(format & DT_NOPREFIX) && c == '&' && i + 1 < count) {
      // "&x" draws x underlined, "&&" draws one "&"; a final "&" (or one before a line
      // break) is drawn as it is.
      const char next = text[i + 1];
      if ((format & DT_SINGLELINE) || (next != '\r' && next != '\n')) {
        ++i;
        if (next != '&') line.mnemonic = static_cast<int>(line.chars.size());
        line.chars.push_back(next);
        continue;
      }
    }
    line.chars.push_back(c);
  }
  return lines;
}

// Pixel x positions of each character's left edge, and the line's width, with tabs moved to
// the next tab stop when they are expanded.
int layout(const text::RealizedFont& font, const Line& line, UINT format, std::vector<int>* positions) {
  const int tab = 8 * font.metrics.tmAveCharWidth;
  long long x = 0;
  for (char c : line.chars) {
    if (positions) positions->push_back(static_cast<int>(x));
    if (c == '\t' && (format & DT_EXPANDTABS) && tab > 0)
      x = (x / tab + 1) * tab;
    else
      x += font.advances[static_cast<unsigned char>(c)];
    if (x > 0x3fffffff) x = 0x3fffffff;
  }
  return static_cast<int>(x);
}

// Where a context may draw, in surface coordinates: its clip rectangles, each glyph rendered
// once and drawn into every rectangle it meets.
struct Target {
  gdi::Surface* surface;
  std::vector<RECT> clips;
  POINT origin;
};

template <gdi::PixelFormat F>
void fill_rect(const Target& t, const RECT& area, std::uint32_t pixel) {
  for (const RECT& clip : t.clips) {
    const RECT r{std::max(area.left, clip.left), std::max(area.top, clip.top), std::min(area.right, clip.right),
                 std::min(area.bottom, clip.bottom)};
    for (int y = r.top; y < r.bottom; ++y) {
      std::uint8_t* row = t.surface->row(y);
      for (int x = r.left; x < r.right; ++x) gdi::raster::write_pixel<F>(row, x, pixel);
    }
  }
}

// A rendered 1-bit glyph with its top left at (left, top) in surface coordinates.
template <gdi::PixelFormat F>
void blit_glyph(const Target& t, const FT_Bitmap& bitmap, int left, int top, std::uint32_t pixel) {
  for (const RECT& clip : t.clips) {
    const int x0 = std::max<int>(left, clip.left),
              x1 = std::min<int>(left + static_cast<int>(bitmap.width), clip.right);
    const int y0 = std::max<int>(top, clip.top), y1 = std::min<int>(top + static_cast<int>(bitmap.rows), clip.bottom);
    for (int y = y0; y < y1; ++y) {
      const unsigned char* bits = bitmap.buffer + static_cast<std::ptrdiff_t>(y - top) * bitmap.pitch;
      std::uint8_t* row = t.surface->row(y);
      for (int x = x0; x < x1; ++x) {
        const int gx = x - left;
        if (bits[gx >> 3] & (0x80 >> (gx & 7))) gdi::raster::write_pixel<F>(row, x, pixel);
      }
    }
  }
}

template <gdi::PixelFormat F>
void draw_run(const Target& t, const text::RealizedFont& font, const gdi::DeviceContext& dc, int x, int y,
              const std::string& chars, const std::vector<int>& positions, int width, int mnemonic) {
  const std::uint32_t fore = gdi::pixel_of(gdi::resolve_color(dc.text_color), F);
  const int sx = x + t.origin.x, sy = y + t.origin.y;
  if (dc.bk_mode == OPAQUE)
    fill_rect<F>(t, RECT{sx, sy, sx + width, sy + font.metrics.tmHeight},
                 gdi::pixel_of(gdi::resolve_color(dc.bk_color), F));
  FT_Face face = font.face;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const unsigned glyph = text::glyph_index(font, static_cast<unsigned char>(chars[i]));
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) continue;
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO) continue;
    blit_glyph<F>(t, slot->bitmap, sx + positions[i] + slot->bitmap_left, sy + font.metrics.tmAscent - slot->bitmap_top,
                  fore);
  }
  const int underline_y = sy + font.metrics.tmAscent + 1;
  if (font.underline) fill_rect<F>(t, RECT{sx, underline_y, sx + width, underline_y + 1}, fore);
  if (mnemonic >= 0 && static_cast<std::size_t>(mnemonic) < chars.size()) {
    const int left = sx + positions[static_cast<std::size_t>(mnemonic)];
    const int right = left + font.advances[static_cast<unsigned char>(chars[static_cast<std::size_t>(mnemonic)])];
    fill_rect<F>(t, RECT{left, underline_y, right, underline_y + 1}, fore);
  }
  if (font.strike_out) {
    const int strike_y = sy + font.metrics.tmAscent - font.metrics.tmAscent / 3;
    fill_rect<F>(t, RECT{sx, strike_y, sx + width, strike_y + 1}, fore);
  }
}

// Draws one run of characters at (x, y), logical coordinates; the caller holds the lock.
void draw_text(gdi::DeviceContext& dc, const text::RealizedFont& font, int x, int y, const Line& line, UINT format) {
  if (!dc.surface || !font.face) return;
  Target t{dc.surface.get(), {}, dc.origin};
  gdi::for_each_clip_rect(dc, [&](const RECT& clip) { t.clips.push_back(clip); });
  std::vector<int> positions;
  const int width = layout(font, line, format, &positions);
  gdi::with_format(dc.surface->format, [&](auto f) {
    draw_run<decltype(f)::value>(t, font, dc, x, y, line.chars, positions, width, line.mnemonic);
  });
}

}  // namespace

extern "C" {

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
  if (count < 0 || (count > 0 && !text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto font = text::context_font(dc);
  if (!font) return FALSE;
  std::lock_guard lock(platform_lock());
  gdi::DeviceContext* context = gdi::find_context(dc);
  if (!context) return FALSE;
  Line line;
  line.chars.assign(text ? text : "", static_cast<std::size_t>(count));
  draw_text(*context, *font, x, y, line, DT_NOPREFIX);
  return TRUE;
}

int WINAPI DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) {
  if (!rect || (!text && count != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (count < 0) count = static_cast<int>(std::strlen(text));
  auto font = text::context_font(dc);
  if (!font) return 0;
  if (count == 0) {
    if (format & DT_CALCRECT) {
      rect->right = rect->left;
      rect->bottom = rect->top;
    }
    return 0;
  }
  const std::vector<Line> lines = split_lines(text, count, format);
  const int line_height =
      font->metrics.tmHeight + ((format & DT_EXTERNALLEADING) ? font->metrics.tmExternalLeading : 0);
  const int total = line_height * static_cast<int>(lines.size());
  // As Wine lays it out: a single line is centred on the rectangle's middle or set on its
  // bottom; the result is how far the layout went down from the top.
  long long y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      y = rect->top + (static_cast<long long>(rect->bottom) - rect->top) / 2 - total / 2;
    else if (format & DT_BOTTOM)
      y = static_cast<long long>(rect->bottom) - total;
  }
  const long long top = y;
  int widest = 0;
  for (const Line& line : lines) widest = std::max(widest, layout(*font, line, format, nullptr));
  if (format & DT_CALCRECT) {
    rect->right = static_cast<LONG>(std::min<long long>(static_cast<long long>(rect->left) + widest, 0x7fffffff));
    rect->bottom = static_cast<LONG>(top + total);
    return static_cast<int>(top + total - rect->top);
  }
  std::lock_guard lock(platform_lock());
  gdi::DeviceContext* context = gdi::find_context(dc);
  if (!context) return 0;
  for (const Line& line : lines) {
    const int width = layout(*font, line, format, nullptr);
    long long x = rect->left;
    if (format & DT_CENTER)
      x = (static_cast<long long>(rect->left) + rect->right - width) / 2;
    else if (format & DT_RIGHT)
      x = static_cast<long long>(rect->right) - width;
    draw_text(*context, *font, static_cast<int>(x), static_cast<int>(y), line, format);
    y += line_height;
  }
  return static_cast<int>(y - rect->top);
}

}  // extern "C"
