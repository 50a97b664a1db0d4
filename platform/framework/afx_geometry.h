// CPoint and CRect: the framework's point and half-open rectangle.
#pragma once

#include <veneer/framework/win32_api.h>

class CPoint : public tagPOINT {
 public:
  CPoint() : tagPOINT{0, 0} {}
  CPoint(int x_, int y_) : tagPOINT{x_, y_} {}
  CPoint(POINT p) : tagPOINT(p) {}
  bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
};

class CRect : public tagRECT {
 public:
  CRect() : tagRECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : tagRECT{l, t, r, b} {}
  CRect(const RECT& r) : tagRECT(r) {}
  // Edges far apart wrap around as they do on the platform, without undefined behaviour.
  int Width() const { return static_cast<int>(static_cast<unsigned>(right) - static_cast<unsigned>(left)); }
  int Height() const { return static_cast<int>(static_cast<unsigned>(bottom) - static_cast<unsigned>(top)); }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  void SetRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  CPoint TopLeft() const { return CPoint(left, top); }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
  bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};
