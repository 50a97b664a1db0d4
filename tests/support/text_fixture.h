// Text tests measure in Liberation Sans, which both Wine and the headless platform realise
// the stock GUI font as when fonts-liberation is installed; elsewhere pixel counts differ
// and only the rules can be compared.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
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

// Whether fonts-liberation is on the machine, seen in the file system rather than through the
// font machinery under test. Windows itself has no Liberation fonts and measures otherwise.
inline bool liberation_fonts_installed() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
  const std::string root = "Z:";  // Wine's drive for the host's root
#else
  const std::string root;
#endif
  for (const char* folder : {"liberation", "liberation2"}) {
    std::string file = root + "/usr/share/fonts/truetype/" + folder + "/LiberationSans-Regular.ttf";
    if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
      std::fclose(f);
      return true;
    }
  }
  return false;
}

#define SKIP_IF_NO_LIBERATION_FONTS()              \
  if (!veneer::test::liberation_fonts_installed()) \
  GTEST_SKIP() << "fonts-liberation is not installed (no LiberationSans-Regular.ttf), or not under Wine"

}  // namespace veneer::test
