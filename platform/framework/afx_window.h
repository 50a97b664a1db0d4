// CWnd: the framework's window object; Veneer uses only the window handle it holds.
#pragma once

#include <veneer/framework/win32_api.h>

class CWnd {
 public:
  CWnd() = default;
  explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
  virtual ~CWnd() = default;
  HWND GetSafeHwnd() const { return m_hWnd; }
  HWND m_hWnd = nullptr;
};
