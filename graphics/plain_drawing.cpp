// Plain blits, one-pixel lines and two-colour gradients.
#include "frame/platform.h"
#include "graphics/drawing_support.h"
#include <veneer/veneer.h>

using veneer::graphics::open_memory_context;
using veneer::graphics::ScopedSelection;

namespace {

// Runs one blit from the bitmap, selected into a memory context compatible with the target.
// Nothing is drawn when there is no bitmap, or when the context cannot be made or the
// bitmap cannot be selected into it (it is selected into another context): a blit from
// the context's own 1x1 bitmap would put a stray pixel into the target. A null target is no
// target: nothing to draw into.
template <class Blit>
void blit_from_bitmap(CDC* target, CBitmap* bitmap, Blit blit) {
  if (!target || !bitmap || !bitmap->m_hObject) return;
  CDC memory;
  if (!open_memory_context(memory, target->m_hDC)) return;
  ScopedSelection selection(memory.m_hDC, bitmap->m_hObject);
  if (!selection) return;
  blit(memory.m_hDC);
}

// A channel of a COLORREF as GradientFill takes it: the byte in the high half of 16 bits.
COLOR16 gradient_channel(COLORREF color, int shift) { return static_cast<COLOR16>(((color >> shift) & 0xFF) << 8); }

TRIVERTEX gradient_vertex(LONG x, LONG y, COLORREF color) {
  TRIVERTEX vertex{};
  vertex.x = x;
  vertex.y = y;
  vertex.Red = gradient_channel(color, 0);
  vertex.Green = gradient_channel(color, 8);
  vertex.Blue = gradient_channel(color, 16);
  vertex.Alpha = 0;
  return vertex;
}

}  // namespace

void AfxDrawNormalBitmap(CDC* target, CBitmap* bitmap, CPoint source, CRect dest) {
  blit_from_bitmap(target, bitmap, [&](HDC memory) {
    ::BitBlt(target->m_hDC, dest.left, dest.top, dest.Width(), dest.Height(), memory, source.x, source.y, SRCCOPY);
  });
}

void AfxDrawStretchBitmap(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                          CRect dest) {
  blit_from_bitmap(target, bitmap, [&](HDC memory) {
    ::StretchBlt(target->m_hDC, dest.left, dest.top, dest.Width(), dest.Height(), memory, source.x, source.y,
                 source_width, source_height, SRCCOPY);
  });
}

void AfxDrawSingleLine(CDC* target, CPoint from, CPoint to, COLORREF color) {
  if (!target) return;
  // Raises the framework's resource exception when no pen can be made; nothing has been
  // selected into the target by then.
  CPen pen(PS_SOLID, 1, color);
  CPen* previous = target->SelectObject(&pen);
  // Without our pen selected the line would come out in the target's own pen.
  if (!previous) return;
  target->MoveTo(from.x, from.y);
  target->LineTo(to.x, to.y);
  target->SelectObject(previous);
}

void AfxGradientFillRect(CDC* target, CRect& rect, COLORREF first, COLORREF second, int vertical) {
  if (!target) return;
  TRIVERTEX vertices[2] = {gradient_vertex(rect.left, rect.top, first),
                           gradient_vertex(rect.right, rect.bottom, second)};
  GRADIENT_RECT mesh = {0, 1};
  ::GradientFill(target->m_hDC, vertices, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}
