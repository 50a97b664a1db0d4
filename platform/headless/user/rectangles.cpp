// Rectangle arithmetic of user32, with Win32's answers for empty, inverted and null rectangles.
#include <algorithm>
#include <cstdint>

#include <veneer/headless/user.h>

namespace {

// Win32 adds without overflow checks: a huge rectangle moved past the limits wraps around.
LONG wrapping_add(LONG a, int b) {
  return static_cast<LONG>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

bool empty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }

}  // namespace

extern "C" {

BOOL WINAPI SetRectEmpty(LPRECT rect) {
  if (!rect) return FALSE;
  *rect = RECT{0, 0, 0, 0};
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* rect) { return empty(rect) ? TRUE : FALSE; }

BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
  if (!a || !b) return FALSE;
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL WINAPI PtInRect(const RECT* rect, POINT point) {
  if (!rect) return FALSE;
  return point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  *rect = RECT{wrapping_add(rect->left, dx), wrapping_add(rect->top, dy), wrapping_add(rect->right, dx),
               wrapping_add(rect->bottom, dy)};
  return TRUE;
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL WINAPI CopyRect(LPRECT destination, const RECT* source) {
  if (!destination || !source) return FALSE;
  *destination = *source;
  return TRUE;
}

BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  *rect = RECT{wrapping_add(rect->left, -dx), wrapping_add(rect->top, -dy), wrapping_add(rect->right, dx),
               wrapping_add(rect->bottom, dy)};
  return TRUE;
}

BOOL WINAPI IntersectRect(LPRECT destination, const RECT* a, const RECT* b) {
  if (!destination || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (empty(a) || empty(b) || empty(&r)) {
    SetRectEmpty(destination);
    return FALSE;
  }
  *destination = r;
  return TRUE;
}

BOOL WINAPI UnionRect(LPRECT destination, const RECT* a, const RECT* b) {
  if (!destination) return FALSE;
  if (empty(a) && empty(b)) {
    SetRectEmpty(destination);
    return FALSE;
  }
  if (empty(a) || empty(b)) {
    *destination = empty(a) ? *b : *a;
    return TRUE;
  }
  *destination = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                      std::max(a->bottom, b->bottom)};
  return TRUE;
}

BOOL WINAPI SubtractRect(LPRECT destination, const RECT* a, const RECT* b) {
  if (!destination) return FALSE;
  if (empty(a)) {
    SetRectEmpty(destination);
    return FALSE;
  }
  RECT r = *a;
  RECT cut;
  if (b && IntersectRect(&cut, a, b)) {
    if (EqualRect(&cut, a)) {
      SetRectEmpty(destination);
      return FALSE;
    }
    if (cut.left == r.left && cut.right == r.right) {
      if (cut.top == r.top)
        r.top = cut.bottom;
      else if (cut.bottom == r.bottom)
        r.bottom = cut.top;
    } else if (cut.top == r.top && cut.bottom == r.bottom) {
      if (cut.left == r.left)
        r.left = cut.right;
      else if (cut.right == r.right)
        r.right = cut.left;
    }
  }
  *destination = r;
  return TRUE;
}

}  // extern "C"
