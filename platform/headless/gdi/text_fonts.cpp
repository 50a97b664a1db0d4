// Font realisation on fontconfig and FreeType, following Wine's rules so that a headless
// program measures what the same program measures under Wine:
// - a face is used when it is installed under the asked name; every other name (the Windows
//   faces "MS Shell Dlg", "Arial", "Tahoma", ... included) falls back to Liberation Sans;
// - a negative height is the em size in pixels; a positive one the cell height (ascent plus
//   descent from the OS/2 table), 0 meaning 16; a width scales the font horizontally so that
//   its average character width becomes that width;
// - advances and metrics come from the hinted font, rounded as Wine rounds them.
#include "gdi/text_fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <tuple>

#include "gdi/objects.h"
#include "kernel/code_page.h"

namespace veneer::headless::text {
namespace {

constexpr const char* fallback_family = "Liberation Sans";

FT_Library library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) return static_cast<FT_Library>(nullptr);
    return l;
  }();
  return lib;
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

struct FaceFile {
  std::string path;
  int index = 0;
  std::string family;
};

// fontconfig's best file for the family, weight and slant; found tells whether the file's
// family is the one asked for (rather than whatever fontconfig substituted).
FaceFile match(const std::string& family, bool bold, bool italic, bool& found) {
  FaceFile file;
  found = false;
  if (!FcInit()) return file;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* best = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!best) return file;
  FcChar8* path = nullptr;
  FcChar8* name = nullptr;
  int index = 0;
  if (FcPatternGetString(best, FC_FILE, 0, &path) == FcResultMatch &&
      FcPatternGetString(best, FC_FAMILY, 0, &name) == FcResultMatch) {
    file.path = reinterpret_cast<const char*>(path);
    file.family = reinterpret_cast<const char*>(name);
    if (FcPatternGetInteger(best, FC_INDEX, 0, &index) == FcResultMatch) file.index = index;
    found = lower(file.family) == lower(family);
  }
  FcPatternDestroy(best);
  return file;
}

FaceFile find_face(const LOGFONTA& logfont) {
  char name[LF_FACESIZE + 1] = {};
  std::copy(logfont.lfFaceName, logfont.lfFaceName + LF_FACESIZE, name);
  const bool bold = logfont.lfWeight >= 600;
  const bool italic = logfont.lfItalic != 0;
  bool found = false;
  if (*name) {
    FaceFile file = match(name, bold, italic, found);
    if (found) return file;
  }
  FaceFile file = match(fallback_family, bold, italic, found);
  return file;  // Liberation Sans, or fontconfig's nearest when it is not installed
}

LONG round26(FT_Pos value) { return static_cast<LONG>((value + 32) >> 6); }

// Wine's pixels per em for a logical height (before the limits below).
long long ppem_for(FT_Face face, LONG height) {
  if (height == 0) height = 16;
  if (height < 0) return -static_cast<long long>(height);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  long long cell = os2 && (os2->usWinAscent + os2->usWinDescent) != 0 ? os2->usWinAscent + os2->usWinDescent
                                                                      : face->ascender - face->descender;
  if (cell <= 0) cell = face->units_per_EM;
  // MulDiv: rounded to the nearest.
  return (static_cast<long long>(face->units_per_EM) * height * 2 + cell) / (2 * cell);
}

// FreeType sizes a face up to 65535 pixels per em. Wine realises a larger request (a height
// beyond 65535, or a cell height whose em is) as the font at one pixel per em: measured, every
// metric and advance is the one-pixel font's.
constexpr long long largest_ppem = 0xffff;
// Glyphs are drawn at no more than this many pixels per em: larger text keeps its metrics and
// advances, but one glyph's raster stays within tens of megabytes.
constexpr int largest_drawn_ppem = 16384;

// Sizes the face at ppem pixels per em, stretched when the logical font asks for a width so
// that its average character width becomes that width (scaled by width_scale).
bool size_face(FT_Face face, int ppem, LONG width, double width_scale) {
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem)) != 0) return false;
  if (width == 0) return true;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const LONG natural =
      os2 && os2->xAvgCharWidth ? round26(FT_MulFix(os2->xAvgCharWidth, face->size->metrics.x_scale)) : 0;
  if (natural <= 0) return true;
  const long long asked = std::min<long long>(std::llabs(static_cast<long long>(width)), 16384);
  const auto width26 = static_cast<long long>(static_cast<double>(ppem) * 64 * static_cast<double>(asked) *
                                              width_scale / static_cast<double>(natural));
  return FT_Set_Char_Size(face, std::max<long long>(width26, 1), static_cast<FT_F26Dot6>(ppem) * 64, 72, 72) == 0;
}

void fill_metrics(RealizedFont& font, const LOGFONTA& logfont, int ppem) {
  FT_Face face = font.face;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  const FT_Fixed x_scale = face->size->metrics.x_scale, y_scale = face->size->metrics.y_scale;
  TEXTMETRICA& tm = font.metrics;
  long win_ascent = os2 ? os2->usWinAscent : face->ascender;
  long win_descent = os2 ? os2->usWinDescent : -face->descender;
  if (win_ascent + win_descent == 0) {
    win_ascent = face->ascender;
    win_descent = -face->descender;
  }
  tm.tmAscent = round26(FT_MulFix(win_ascent, y_scale));
  tm.tmDescent = round26(FT_MulFix(win_descent, y_scale));
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - ppem);
  if (hhea) {
    const long gap = hhea->Line_Gap - ((win_ascent + win_descent) - (hhea->Ascender - hhea->Descender));
    tm.tmExternalLeading = gap > 0 ? round26(FT_MulFix(gap, y_scale)) : 0;
  }
  tm.tmAveCharWidth = os2 && os2->xAvgCharWidth ? round26(FT_MulFix(os2->xAvgCharWidth, x_scale)) : 0;
  if (logfont.lfWidth != 0) tm.tmAveCharWidth = std::abs(logfont.lfWidth);
  if (tm.tmAveCharWidth == 0) tm.tmAveCharWidth = 1;
  tm.tmMaxCharWidth = round26(FT_MulFix(face->bbox.xMax - face->bbox.xMin, x_scale));
  tm.tmWeight = os2 ? os2->usWeightClass : (logfont.lfWeight ? logfont.lfWeight : FW_NORMAL);
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = gdi::screen_dpi;
  tm.tmDigitizedAspectY = gdi::screen_dpi;
  // What Win32 reports for an ANSI text font.
  tm.tmFirstChar = 0x1f;
  tm.tmLastChar = 0xff;
  tm.tmDefaultChar = 0x20;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = logfont.lfItalic ? 1 : 0;
  tm.tmUnderlined = logfont.lfUnderline ? 1 : 0;
  tm.tmStruckOut = logfont.lfStrikeOut ? 1 : 0;
  // TMPF_FIXED_PITCH set means a variable pitch, as Win32 has it.
  BYTE pitch = TMPF_VECTOR | TMPF_TRUETYPE;
  if (!FT_IS_FIXED_WIDTH(face)) pitch |= TMPF_FIXED_PITCH;
  const int family_class = os2 ? (os2->sFamilyClass >> 8) : 0;
  BYTE family = FF_DONTCARE;
  if (family_class == 8)
    family = FF_SWISS;
  else if (family_class >= 1 && family_class <= 7)
    family = FF_ROMAN;
  if (FT_IS_FIXED_WIDTH(face)) family = FF_MODERN;
  tm.tmPitchAndFamily = static_cast<BYTE>(pitch | family);
  tm.tmCharSet = ANSI_CHARSET;
  font.underline = logfont.lfUnderline != 0;
  font.strike_out = logfont.lfStrikeOut != 0;
}

std::shared_ptr<RealizedFont> load(const LOGFONTA& logfont) {
  FT_Library lib = library();
  if (!lib) return nullptr;
  FaceFile file = find_face(logfont);
  if (file.path.empty()) return nullptr;
  auto font = std::make_shared<RealizedFont>();
  if (FT_New_Face(lib, file.path.c_str(), file.index, &font->face) != 0) {
    font->face = nullptr;
    return nullptr;
  }
  font->family = font->face->family_name ? font->face->family_name : file.family;
  FT_Select_Charmap(font->face, FT_ENCODING_UNICODE);
  const long long asked = ppem_for(font->face, logfont.lfHeight);
  const int ppem = asked > largest_ppem ? 1 : static_cast<int>(std::max(1LL, asked));
  if (!size_face(font->face, ppem, logfont.lfWidth, 1.0)) return nullptr;
  fill_metrics(*font, logfont, ppem);
  for (int byte = 0; byte < 256; ++byte) {
    const FT_UInt glyph = FT_Get_Char_Index(font->face, ansi_to_unicode(static_cast<unsigned char>(byte)));
    if (FT_Load_Glyph(font->face, glyph, FT_LOAD_DEFAULT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH) == 0)
      font->advances[static_cast<std::size_t>(byte)] = round26(font->face->glyph->metrics.horiAdvance);
  }
  if (ppem > largest_drawn_ppem) {
    // The metrics are taken: from here on the face only draws.
    const int drawn = largest_drawn_ppem;
    if (!size_face(font->face, drawn, logfont.lfWidth, static_cast<double>(drawn) / ppem)) return nullptr;
  }
  return font;
}

using Key = std::tuple<std::string, LONG, LONG, bool, bool, bool, bool>;

Key key_of(const LOGFONTA& logfont) {
  char name[LF_FACESIZE + 1] = {};
  std::copy(logfont.lfFaceName, logfont.lfFaceName + LF_FACESIZE, name);
  return {lower(name),           logfont.lfHeight,         logfont.lfWidth,         logfont.lfWeight >= 600,
          logfont.lfItalic != 0, logfont.lfUnderline != 0, logfont.lfStrikeOut != 0};
}

}  // namespace

RealizedFont::~RealizedFont() {
  if (face) FT_Done_Face(face);
}

std::shared_ptr<const RealizedFont> realize(const LOGFONTA& logfont) {
  std::lock_guard lock(platform_lock());
  // Realisations live as long as the process: a program uses a handful of fonts.
  static auto* cache = new std::map<Key, std::shared_ptr<RealizedFont>>;
  Key key = key_of(logfont);
  auto it = cache->find(key);
  if (it != cache->end()) return it->second;
  auto font = load(logfont);
  if (font) (*cache)[key] = font;
  return font;
}

std::shared_ptr<const RealizedFont> context_font(HDC dc) {
  std::lock_guard lock(platform_lock());
  gdi::DeviceContext* context = gdi::find_context(dc);
  if (!context) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const auto* font = find<gdi::FontObject>(context->font);
  if (!font) return nullptr;
  return realize(font->logfont);
}

int text_width(const RealizedFont& font, const char* text, int count) {
  long long width = 0;
  for (int i = 0; i < count; ++i) width += font.advances[static_cast<unsigned char>(text[i])];
  return static_cast<int>(std::min<long long>(width, 0x7fffffff));
}

unsigned glyph_index(const RealizedFont& font, unsigned char byte) {
  return FT_Get_Char_Index(font.face, ansi_to_unicode(byte));
}

}  // namespace veneer::headless::text
