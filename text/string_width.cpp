#include "frame/platform.h"
#include <veneer/veneer.h>

int AfxCaclStringLength(CStringT text, CFont* font) {
  // A private memory context in the screen's default mapping: one unit is one pixel.
  CDC dc;
  dc.Attach(CreateCompatibleDC(nullptr));
  CRect rect(0, 0, 0, 0);
  CFont* chosen = font ? font : CFont::FromHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  CFont* previous = dc.SelectObject(chosen);
  // One line, prefix processing on ("&" marks the next character and is not measured, "&&"
  // measures as "&"), tabs not expanded; only the width is used.
  dc.DrawText(text, text.GetLength(), &rect, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
  if (previous) dc.SelectObject(previous);
  return rect.Width();
}
