// GDI text of the headless platform: logical fonts realised with fontconfig and FreeType as
// Wine realises them (the Windows sans-serif faces, "MS Shell Dlg" and every face that is
// not installed become Liberation Sans; sizes and advances from the hinted font, so widths
// agree with Wine's to the pixel), measuring and drawing 8-bit text in the ANSI code page.
#pragma once

#include <veneer/headless/gdi.h>
#include <veneer/headless/kernel_base.h>

typedef struct tagTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;

#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04

// DrawText formats.
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800

extern "C" {
// Width of the characters laid end to end (no prefix or tab processing) and the font's
// height; (0, 0) for no characters.
HEADLESS_API BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size);
// The realised face's name ("Liberation Sans" for the stock GUI font, as under Wine); the
// length copied, or the size needed with the terminating zero when name is null.
HEADLESS_API int WINAPI GetTextFaceA(HDC dc, int count, LPSTR name);
HEADLESS_API BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);
// Lays the text out in the rectangle and draws it, or with DT_CALCRECT only measures it:
// DT_SINGLELINE keeps line breaks as characters; otherwise each CR, LF or CR LF ends a line.
// Unless DT_NOPREFIX, "&" is not drawn and underlines the next character, "&&" draws "&".
// DT_EXPANDTABS moves to the next multiple of eight average character widths. DT_WORDBREAK
// is not offered: lines are broken only where the text breaks them. Returns the height.
HEADLESS_API int WINAPI DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format);
// Draws the characters with the context's font and text colour, filling their cell with the
// background colour when the background mode is OPAQUE; (x, y) is the cell's top left.
HEADLESS_API BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int count);
}
