// Three-slice drawing of skin strips: two caps copied at their own size, the middle
// stretched between them.
#include "frame/platform.h"
#include "graphics/drawing_support.h"
#include <veneer/veneer.h>

using veneer::graphics::open_memory_context;
using veneer::graphics::ScopedSelection;
using veneer::graphics::wrap32;

namespace {

// One slice: where it lands in the target and which block of the bitmap it shows.
struct Slice {
  int dest_x, dest_y, dest_width, dest_height;
  int source_x, source_y, source_width, source_height;
};

// The three slices, first cap, middle and second cap, in drawing order. The strip runs
// along x when horizontal, along y otherwise. Caps of 0 and 0 both become (length - 2) / 2,
// which leaves a middle of 2 or 3 pixels. Sizes are not clamped: a destination shorter
// than its caps gives a negative middle, which the platform draws mirrored inside the
// overlap of the caps, and the second cap, drawn last, covers it.
struct Slices {
  Slice first, middle, second;
};

Slices slice_strip(bool horizontal, CPoint s, int sw, int sh, const CRect& d, int c1, int c2) {
  const int w = d.Width();
  const int h = d.Height();
  if (c1 == 0 && c2 == 0) c1 = c2 = wrap32((horizontal ? sw : sh) - 2LL) / 2;
  Slices out{};
  if (horizontal) {
    out.first = {d.left, d.top, c1, h, s.x, s.y, c1, h};
    out.middle = {wrap32(1LL * d.left + c1), d.top, wrap32(1LL * w - c1 - c2),  h,
                  wrap32(1LL * s.x + c1),    s.y,   wrap32(1LL * sw - c1 - c2), sh};
    out.second = {wrap32(1LL * d.right - c2), d.top, c2, h, wrap32(1LL * s.x + sw - c2), s.y, c2, h};
  } else {
    out.first = {d.left, d.top, w, c1, s.x, s.y, w, c1};
    out.middle = {d.left, wrap32(1LL * d.top + c1), w,  wrap32(1LL * h - c1 - c2),
                  s.x,    wrap32(1LL * s.y + c1),   sw, wrap32(1LL * sh - c1 - c2)};
    out.second = {d.left, wrap32(1LL * d.bottom - c2), w, c2, s.x, wrap32(1LL * s.y + sh - c2), w, c2};
  }
  return out;
}

void copy_slice(HDC target, HDC memory, const Slice& s) {
  ::BitBlt(target, s.dest_x, s.dest_y, s.dest_width, s.dest_height, memory, s.source_x, s.source_y, SRCCOPY);
}

void draw_strip(bool horizontal, CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                const CRect& dest, int first_cap, int second_cap) {
  if (!target || !bitmap || !bitmap->m_hObject) return;
  CDC memory;
  if (!open_memory_context(memory, target->m_hDC)) return;
  ScopedSelection selection(memory.m_hDC, bitmap->m_hObject);
  // A bitmap selected into another context cannot be read here; drawing from the memory
  // context's own 1x1 bitmap instead would only leave stray pixels.
  if (!selection) return;
  const Slices slices = slice_strip(horizontal, source, source_width, source_height, dest, first_cap, second_cap);
  const Slice& m = slices.middle;
  copy_slice(target->m_hDC, memory.m_hDC, slices.first);
  ::StretchBlt(target->m_hDC, m.dest_x, m.dest_y, m.dest_width, m.dest_height, memory.m_hDC, m.source_x, m.source_y,
               m.source_width, m.source_height, SRCCOPY);
  copy_slice(target->m_hDC, memory.m_hDC, slices.second);
}

}  // namespace

void AfxDrawHoriRectEx(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height, CRect dest,
                       int first_cap, int second_cap) {
  draw_strip(true, target, bitmap, source, source_width, source_height, dest, first_cap, second_cap);
}

void AfxDrawVertRectEx(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height, CRect dest,
                       int first_cap, int second_cap) {
  draw_strip(false, target, bitmap, source, source_width, source_height, dest, first_cap, second_cap);
}

void AfxDrawRect(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height, CRect dest) {
  AfxDrawHoriRectEx(target, bitmap, source, source_width, source_height, dest, 0, 0);
}

void AfxDrawVertRect(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height, CRect dest) {
  AfxDrawVertRectEx(target, bitmap, source, source_width, source_height, dest, 0, 0);
}
