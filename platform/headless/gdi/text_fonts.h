// Realised fonts: a logical font bound to a face file and a pixel size, with the metrics and
// advances that measuring needs worked out once. For the platform's own text code only.
#pragma once

#include <array>
#include <memory>
#include <string>

#include <veneer/headless/gdi_text.h>

typedef struct FT_FaceRec_* FT_Face;

namespace veneer::headless::text {

struct RealizedFont {
  RealizedFont() = default;
  RealizedFont(const RealizedFont&) = delete;
  RealizedFont& operator=(const RealizedFont&) = delete;
  ~RealizedFont();

  std::string family;  // the face's own name, as GetTextFaceA reports it
  TEXTMETRICA metrics{};
  std::array<int, 256> advances{};  // per ANSI byte, in pixels
  bool underline = false;
  bool strike_out = false;
  // The face, sized; used for drawing glyphs under platform_lock().
  FT_Face face = nullptr;
};

// The realisation of a logical font (cached: equal requests share one); null when no face
// can be loaded at all (no fonts installed).
std::shared_ptr<const RealizedFont> realize(const LOGFONTA& logfont);

// The realised font selected into the context; null for a context that is not one, with
// ERROR_INVALID_HANDLE set.
std::shared_ptr<const RealizedFont> context_font(HDC dc);

// Width of bytes laid end to end.
int text_width(const RealizedFont& font, const char* text, int count);

// The glyph index of an ANSI byte (0, the missing glyph, when the face has none).
unsigned glyph_index(const RealizedFont& font, unsigned char byte);

}  // namespace veneer::headless::text
