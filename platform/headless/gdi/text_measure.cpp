// Measuring text and reading the selected font.
#include <cstring>

#include "gdi/text_fonts.h"
#include "kernel/object_table.h"

using namespace veneer::headless;

extern "C" {

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size) {
  if (!size || count < 0 || (count > 0 && !text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto font = text::context_font(dc);
  if (!font) return FALSE;
  if (count == 0) {
    size->cx = 0;
    size->cy = 0;
    return TRUE;
  }
  size->cx = text::text_width(*font, text, count);
  size->cy = font->metrics.tmHeight;
  return TRUE;
}

int WINAPI GetTextFaceA(HDC dc, int count, LPSTR name) {
  auto font = text::context_font(dc);
  if (!font) return 0;
  const int length = static_cast<int>(font->family.size());
  if (!name) return length + 1;
  if (count <= 0) return 0;
  const int copied = length < count - 1 ? length : count - 1;
  std::memcpy(name, font->family.data(), static_cast<std::size_t>(copied));
  name[copied] = '\0';
  return copied;
}

BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics) {
  if (!metrics) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto font = text::context_font(dc);
  if (!font) return FALSE;
  *metrics = font->metrics;
  return TRUE;
}

}  // extern "C"
