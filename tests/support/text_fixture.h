// Text tests measure in Liberation Sans, which both Wine and the headless platform realise
// the stock GUI font as when fonts-liberation is installed; elsewhere pixel counts differ
// and only the rules can be compared.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <veneer/framework/win32_api.h>

namespace veneer::test {

// The face a font is realised as in a memory context.
inline std::string realised_face(HGDIOBJ font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, sizeof face, face);
  SelectObject(dc, old);
  DeleteDC(dc);
  return face;
}

// Width of the characters end to end (no prefix or tab processing) in the font.
inline int extent_of(HGDIOBJ font, const std::string& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  return size.cx;
}

inline bool stock_font_is_liberation_sans() {
  return realised_face(GetStockObject(DEFAULT_GUI_FONT)) == "Liberation Sans";
}

}  // namespace veneer::test
