#include <veneer/framework/afx_gdi.h>

CDC::~CDC() {
  if (m_hDC) ::DeleteDC(Detach());
}

BOOL CDC::Attach(HDC dc) {
  if (!dc || m_hDC) return FALSE;
  m_hDC = dc;
  return TRUE;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  m_hDC = nullptr;
  return dc;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  HGDIOBJ previous = ::SelectObject(m_hDC, bitmap ? bitmap->m_hObject : nullptr);
  return CBitmap::FromHandle(static_cast<HBITMAP>(previous));
}

CPen* CDC::SelectObject(CPen* pen) {
  HGDIOBJ previous = ::SelectObject(m_hDC, pen ? pen->m_hObject : nullptr);
  return CPen::FromHandle(static_cast<HPEN>(previous));
}

CFont* CDC::SelectObject(CFont* font) {
  HGDIOBJ previous = ::SelectObject(m_hDC, font ? font->m_hObject : nullptr);
  return CFont::FromHandle(static_cast<HFONT>(previous));
}

CGdiObject* CDC::SelectGdiObject(HDC dc, HGDIOBJ object) { return CGdiObject::FromHandle(::SelectObject(dc, object)); }

COLORREF CDC::SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }

COLORREF CDC::SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }

CPoint CDC::MoveTo(int x, int y) {
  POINT previous = {0, 0};
  ::MoveToEx(m_hDC, x, y, &previous);
  return CPoint(previous);
}

BOOL CDC::LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
