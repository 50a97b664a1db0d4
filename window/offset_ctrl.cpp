#include "frame/platform.h"
#include "include/veneer/veneer.h"

void AfxOffSetCtrl(HWND parent, HWND control, int dx, int dy, int new_width, int new_height) {
  if (!IsWindow(parent) || !IsWindow(control)) return;
  RECT r{};
  GetWindowRect(control, &r);
  POINT p{r.left, r.top};
  ScreenToClient(parent, &p);
  int width = new_width > 0 ? new_width : r.right - r.left;
  int height = new_height > 0 ? new_height : r.bottom - r.top;
  MoveWindow(control, p.x + dx, p.y + dy, width, height, TRUE);
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void AfxOffSetCtrlWnd(CWnd* parent, CWnd* control, int dx, int dy, int new_width, int new_height) {
  if (!parent || !control) return;
  AfxOffSetCtrl(parent->m_hWnd, control->m_hWnd, dx, dy, new_width, new_height);
}
