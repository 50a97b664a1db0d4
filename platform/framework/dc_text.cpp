#include <veneer/framework/afx_gdi.h>

int CDC::DrawText(LPCSTR text, int count, LPRECT rect, UINT format) {
  return ::DrawTextA(m_hDC, text, count, rect, format);
}
