#include <cstdint>

#include "frame/platform.h"
#include <veneer/veneer.h>

void AfxOffSetCtrl(HWND parent, HWND control, int dx, int dy, int new_width, int new_height) {
  if (!IsWindow(parent) || !IsWindow(control)) return;
  RECT r{};
  GetWindowRect(control, &r);
  POINT p{r.left, r.top};
  ScreenToClient(parent, &p);
  // Sums wrap as the platform's 32-bit coordinates do, rather than overflow: an offset near
  // the end of the int range is the caller's to give.
  auto wrapped = [](long long value) { return static_cast<int>(static_cast<std::uint32_t>(value)); };
  int width = new_width > 0 ? new_width : wrapped(static_cast<long long>(r.right) - r.left);
  int height = new_height > 0 ? new_height : wrapped(static_cast<long long>(r.bottom) - r.top);
  MoveWindow(control, wrapped(static_cast<long long>(p.x) + dx), wrapped(static_cast<long long>(p.y) + dy), width,
             height, TRUE);
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void AfxOffSetCtrlWnd(CWnd* parent, CWnd* control, int dx, int dy, int new_width, int new_height) {
  if (!parent || !control) return;
  AfxOffSetCtrl(parent->m_hWnd, control->m_hWnd, dx, dy, new_width, new_height);
}
