// GDI of the headless platform: bitmaps, device contexts, blits with ternary raster operations,
// stretching, one-pixel pens, gradients, regions and font objects. Names, values and record
// layouts are Win32's; behaviour follows what Win32 (as Wine runs it) was seen to do.
#pragma once

#include <veneer/headless/types.h>

// ---- Records

typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD, *LPRGBQUAD;

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

typedef struct tagDIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
} DIBSECTION, *PDIBSECTION, *LPDIBSECTION;

typedef struct _TRIVERTEX {
  LONG x;
  LONG y;
  COLOR16 Red;
  COLOR16 Green;
  COLOR16 Blue;
  COLOR16 Alpha;
} TRIVERTEX, *PTRIVERTEX, *LPTRIVERTEX;

typedef struct _GRADIENT_RECT {
  ULONG UpperLeft;
  ULONG LowerRight;
} GRADIENT_RECT, *PGRADIENT_RECT, *LPGRADIENT_RECT;

typedef struct _RGNDATAHEADER {
  DWORD dwSize;
  DWORD iType;
  DWORD nCount;
  DWORD nRgnSize;
  RECT rcBound;
} RGNDATAHEADER, *PRGNDATAHEADER;

typedef struct _RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
} RGNDATA, *PRGNDATA, *LPRGNDATA;

typedef struct tagLOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;
  COLORREF lopnColor;
} LOGPEN, *PLOGPEN, *LPLOGPEN;

typedef struct tagLOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

#define LF_FACESIZE 32

typedef struct tagLOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;

// ---- Constants

#define CLR_INVALID 0xFFFFFFFF
#define GDI_ERROR 0xFFFFFFFFL
#define HGDI_ERROR (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

#define BI_RGB 0L
#define BI_BITFIELDS 3L
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

// Ternary raster operations by name (the index byte in bits 16-23, Win32's encoding below).
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define MAXSTRETCHBLTMODE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// Binary raster operations (SetROP2's modes), Win32's values.
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16
#define R2_LAST 16

#define TRANSPARENT 1
#define OPAQUE 2

#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6

#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_METADC 4
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_METAFILE 9
#define OBJ_MEMDC 10
#define OBJ_EXTPEN 11
#define OBJ_ENHMETADC 12
#define OBJ_ENHMETAFILE 13
#define OBJ_COLORSPACE 14

#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMFONTS 22
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define DT_RASDISPLAY 1

#define GRADIENT_FILL_RECT_H 0x00000000
#define GRADIENT_FILL_RECT_V 0x00000001
#define GRADIENT_FILL_TRIANGLE 0x00000002

#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define RDH_RECTANGLES 1

#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OEM_CHARSET 255
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30

#define PALETTEINDEX(i) (static_cast<COLORREF>(0x01000000 | static_cast<DWORD>(static_cast<WORD>(i))))
#define PALETTERGB(r, g, b) (0x02000000 | RGB(r, g, b))

extern "C" {

// ---- Bitmaps
HEADLESS_API HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits);
HEADLESS_API HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height);
HEADLESS_API HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                             DWORD offset);
HEADLESS_API LONG WINAPI GetBitmapBits(HBITMAP bitmap, LONG bytes, LPVOID bits);
HEADLESS_API LONG WINAPI SetBitmapBits(HBITMAP bitmap, DWORD bytes, const void* bits);
HEADLESS_API int WINAPI GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info,
                                  UINT usage);
HEADLESS_API int WINAPI SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
                                  const BITMAPINFO* info, UINT usage);

// ---- Objects in general
HEADLESS_API int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer);
HEADLESS_API DWORD WINAPI GetObjectType(HGDIOBJ object);
HEADLESS_API BOOL WINAPI DeleteObject(HGDIOBJ object);
HEADLESS_API HGDIOBJ WINAPI GetStockObject(int index);
HEADLESS_API HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
HEADLESS_API HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type);
HEADLESS_API BOOL WINAPI GdiFlush();

// ---- Pens, brushes, fonts
HEADLESS_API HPEN WINAPI CreatePen(int style, int width, COLORREF color);
HEADLESS_API HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HEADLESS_API HFONT WINAPI CreateFontIndirectA(const LOGFONTA* logfont);
HEADLESS_API HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                      DWORD underline, DWORD strike_out, DWORD char_set, DWORD out_precision,
                                      DWORD clip_precision, DWORD quality, DWORD pitch_and_family, LPCSTR face_name);

// ---- Device contexts
HEADLESS_API HDC WINAPI CreateCompatibleDC(HDC dc);
HEADLESS_API BOOL WINAPI DeleteDC(HDC dc);
// A null window gives a context for the whole screen, whose pixels are the windows composed
// when they are read; a window gives one for its client area (GetWindowDC in user.h: the whole
// window), limited to what of the window shows. ReleaseDC returns 1 for a screen or window
// context, 0 for anything else.
HEADLESS_API HDC WINAPI GetDC(HWND window);
HEADLESS_API int WINAPI ReleaseDC(HWND window, HDC dc);
HEADLESS_API int WINAPI GetDeviceCaps(HDC dc, int index);

// ---- Clipping
// A context's clip region is kept in its own coordinates and may reach past its surface; every
// drawing call draws only where the surface and the clip region meet. Without one it draws
// anywhere on its surface. The calls that set or narrow it return the type of the region kept
// (NULLREGION, SIMPLEREGION, COMPLEXREGION) or ERROR for a bad context, region or mode.
// RGN_COPY with a null region removes it; the other modes combine with the whole surface where
// there is no region yet. The region given is copied: the caller still owns it.
HEADLESS_API int WINAPI ExtSelectClipRgn(HDC dc, HRGN region, int mode);
HEADLESS_API int WINAPI SelectClipRgn(HDC dc, HRGN region);
// Copies the clip region into `region`: 1, 0 when the context has none, -1 on failure.
HEADLESS_API int WINAPI GetClipRgn(HDC dc, HRGN region);
// The rectangle's corners may come in any order. Without a clip region the rectangle becomes it.
HEADLESS_API int WINAPI IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
HEADLESS_API int WINAPI ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
// Moves the clip region; NULLREGION (and nothing moved) when there is none, as Win32 reports.
HEADLESS_API int WINAPI OffsetClipRgn(HDC dc, int dx, int dy);
// The box of the clip region cut to the surface, in the context's own coordinates, with the
// clip region's type (SIMPLEREGION without one); NULLREGION and an empty rectangle when they do
// not meet, ERROR for a bad context.
HEADLESS_API int WINAPI GetClipBox(HDC dc, LPRECT rect);

HEADLESS_API COLORREF WINAPI SetBkColor(HDC dc, COLORREF color);
HEADLESS_API COLORREF WINAPI GetBkColor(HDC dc);
HEADLESS_API COLORREF WINAPI SetTextColor(HDC dc, COLORREF color);
HEADLESS_API COLORREF WINAPI GetTextColor(HDC dc);
HEADLESS_API int WINAPI SetBkMode(HDC dc, int mode);
HEADLESS_API int WINAPI GetBkMode(HDC dc);
HEADLESS_API int WINAPI SetStretchBltMode(HDC dc, int mode);
HEADLESS_API int WINAPI GetStretchBltMode(HDC dc);
HEADLESS_API BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous);
HEADLESS_API BOOL WINAPI GetCurrentPositionEx(HDC dc, LPPOINT position);

// ---- Drawing
HEADLESS_API COLORREF WINAPI GetPixel(HDC dc, int x, int y);
HEADLESS_API COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color);
// SetPixel without the colour: TRUE unless the context is bad.
HEADLESS_API BOOL WINAPI SetPixelV(HDC dc, int x, int y, COLORREF color);
HEADLESS_API BOOL WINAPI LineTo(HDC dc, int x, int y);
HEADLESS_API BOOL WINAPI PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
HEADLESS_API BOOL WINAPI BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, DWORD rop);
HEADLESS_API BOOL WINAPI StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y,
                                    int src_width, int src_height, DWORD rop);
// Draws from bits in the caller's memory described by `info` (the formats CreateDIBSection
// takes) as StretchBlt draws; the source rectangle's rows count from the bottom of the image,
// for top-down bits too. Returns the image's height in rows, 0 on failure (bad context, no
// bits or header, a source without width or height, a header CreateDIBSection refuses).
HEADLESS_API int WINAPI StretchDIBits(HDC dc, int x, int y, int width, int height, int src_x, int src_y, int src_width,
                                      int src_height, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
// ---- Shapes
// The pen's outline and the brush's fill, leaving out the right column and bottom row (corners
// in any order); without a pen the brush fills the whole shape. FALSE for a bad context only.
HEADLESS_API BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom);
HEADLESS_API BOOL WINAPI GradientFill(HDC dc, PTRIVERTEX vertices, ULONG vertex_count, PVOID mesh, ULONG mesh_count,
                                      ULONG mode);

// ---- Regions
HEADLESS_API HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom);
HEADLESS_API int WINAPI CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
HEADLESS_API HRGN WINAPI ExtCreateRegion(const void* transform, DWORD size, const RGNDATA* data);
HEADLESS_API DWORD WINAPI GetRegionData(HRGN region, DWORD size, LPRGNDATA data);
HEADLESS_API int WINAPI GetRgnBox(HRGN region, LPRECT box);
HEADLESS_API BOOL WINAPI EqualRgn(HRGN a, HRGN b);
HEADLESS_API BOOL WINAPI PtInRegion(HRGN region, int x, int y);
// A rectangle's corners may come in any order; one without area gives the empty region.
HEADLESS_API HRGN WINAPI CreateRectRgnIndirect(const RECT* rect);
HEADLESS_API BOOL WINAPI SetRectRgn(HRGN region, int left, int top, int right, int bottom);
HEADLESS_API int WINAPI OffsetRgn(HRGN region, int dx, int dy);
// Whether any part of the rectangle (corners in any order) lies in the region.
HEADLESS_API BOOL WINAPI RectInRegion(HRGN region, const RECT* rect);
// Round shapes cover the rectangle (corners in any order) without its right column and bottom
// row, with Win32's scan lines. A rectangle without area gives the empty region; corners
// (ellipse width or height) past 4,194,304 rows or 67,108,864 columns give NULL with
// ERROR_NOT_ENOUGH_MEMORY.
HEADLESS_API HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipse_width,
                                            int ellipse_height);
HEADLESS_API HRGN WINAPI CreateEllipticRgn(int left, int top, int right, int bottom);
HEADLESS_API HRGN WINAPI CreateEllipticRgnIndirect(const RECT* rect);

}  // extern "C"
