// Veneer: utilities for desktop applications that draw skinned windows and keep a tray icon.
//
// Every export is a free function on the caller's thread. Failures are reported only through
// the result: a BOOL function returns 0, a size function 0, a string function an empty
// string, and a function without a result returns without effect. Nothing is logged; the
// framework's own exceptions (a file exception from a read or write, the memory exception)
// pass through to the caller. Objects passed in stay the caller's; everything a function
// creates for itself is released before it returns, and a drawing function leaves the
// caller's device context with the objects, colours and (but for AfxDrawSingleLine) current
// position it had.
#pragma once

// COLORREF and DWORD are 32-bit unsigned values on every platform (unsigned long on Windows).

#include "platform/framework/afx_geometry.h"
#include "platform/framework/afx_string.h"
#include "platform/framework/afx_window.h"
#include "platform/framework/win32_api.h"

class CDC;
class CBitmap;
class CRgn;
class CFont;

#if defined(_WIN32)
#if defined(VENEER_BUILD)
#define VENEER_API __declspec(dllexport)
#else
#define VENEER_API __declspec(dllimport)
#endif
#else
#define VENEER_API __attribute__((visibility("default")))
#endif

// ---- Text ---------------------------------------------------------------------------------

// Complements every byte of the counted string (255 - b); applying it twice gives the input.
VENEER_API CStringT AfxEncryptString(CStringT text);

// Form-style URL encoding of the whole counted string: ASCII letters and digits pass, a
// space becomes "+", every other byte (zero bytes, other white space, 0x80-0xFF included)
// becomes "%" and two uppercase hex digits. Classification ignores the host's locale.
VENEER_API CStringT AfxUrlEncode(CStringT text);

// The extension of the last path component, without its dot: the characters after the last
// "." that follows the last "\" or "/". Empty when there is no such dot or when the only
// dot opens the string (".profile"). Case is kept.
VENEER_API CStringT AfxGetFileExtName(CStringT path);

// Width in pixels of the text laid out as one line (prefix processing on: "&" marks the next
// character and is not measured, "&&" measures as "&") in the font, or in the default GUI
// font when font is null. The caller's font is neither changed nor left selected. 0 when
// the measurement fails.
VENEER_API int AfxCaclStringLength(CStringT text, CFont* font);

// ---- Files and system ---------------------------------------------------------------------

// Size in bytes of the file; 0 when it cannot be opened or its size cannot be read;
// 0xFFFFFFFF for a file of 4 GiB or more. Works while another program writes the file.
VENEER_API DWORD AfxGetFileSize(CStringT path);

// The file's whole content, zero bytes included; empty when the file cannot be opened
// (another handle holds it, it is missing, a directory, ...) or is 2 GiB or larger. A read
// error raises the framework's file exception (CFileException*).
VENEER_API CStringT AfxReadFromFile(CStringT content_path);

// Writes content as the whole new content of the file at path (note the order). The old
// content is replaced in one step and survives any failure; a write error raises the
// framework's file exception. No effect when the file cannot be created or opened.
VENEER_API void AfxSaveToFile(CStringT content, CStringT path);

// The directory of the host's executable, ending with the separator; computed once and
// cached. Empty when the platform cannot name the executable.
VENEER_API CStringT AfxGetAppPath();

// The clipboard's 8-bit text; empty when it holds none or cannot be opened.
VENEER_API CStringT AfxGetClipboardText();

// Empties the process's working set when it exceeds 20,000,000 bytes and, unless force is
// non-zero, the host owns neither the foreground window nor a minimised window (window).
VENEER_API void AfxCleanMemory(CWnd* window, int force);

// ---- Windows and the tray -----------------------------------------------------------------

// Restores the window if minimised, raises it to the top of the z-order and activates it.
VENEER_API void AfxShowOnTopWindow(HWND window);

// Sizes the window to width x height and centres it in the desktop's work area ((100, 100)
// when the work area cannot be read). No effect for an invalid window or a size <= 0.
VENEER_API void AfxCenterDesktop(HWND window, int width, int height);

// Moves the control by (dx, dy) within its parent's client area and, for a new width or
// height > 0, resizes it; then redraws it. No effect unless both are windows.
VENEER_API void AfxOffSetCtrl(HWND parent, HWND control, int dx, int dy, int new_width, int new_height);

// AfxOffSetCtrl on the windows of two framework objects; no effect when either is null.
VENEER_API void AfxOffSetCtrlWnd(CWnd* parent, CWnd* control, int dx, int dy, int new_width, int new_height);

// Flashes the window's taskbar button count times (400 ms apart) until it comes to the
// foreground. No effect on a platform without FlashWindowEx.
VENEER_API void AfxFlashWindow(HWND window, int count);

// The shell's notification area window, or null.
VENEER_API HWND AfxTrayNotifyWnd();

// The toolbar whose buttons are the tray icons, or null.
VENEER_API HWND AfxTrayNotifyToolbarWnd();

// Plays the caption animation from the window towards the notification area. No effect for
// an invalid, hidden or minimised window, or without a notification area.
VENEER_API void AfxAnimate2Tray(HWND window);

// Finds the screen rectangle of the tray icon that owner added with the identifier; 1 and
// the rectangle in rect, or 0 with rect untouched.
VENEER_API int AfxFindTrayIconPosition(HWND owner, int icon_id, CRect& rect);

// ---- Skin graphics ------------------------------------------------------------------------
// A null target, or a target CDC that holds no device context, draws nothing. A null source
// bitmap, or one that holds no handle (or a destroyed one), makes a drawing function a no-op;
// so does a bitmap that cannot be read because the host keeps it selected into a device
// context of its own, or a working object that the platform cannot create. Sizes go to the
// platform as computed (a negative width mirrors), and no function sets a stretch mode.

// Copies the block of the bitmap at source to dest, unscaled (SRCCOPY).
VENEER_API void AfxDrawNormalBitmap(CDC* target, CBitmap* bitmap, CPoint source, CRect dest);

// Maps the source_width x source_height block at source onto dest, with the target's
// stretch mode.
VENEER_API void AfxDrawStretchBitmap(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                                     CRect dest);

// A one-pixel solid line from from towards to (to itself not drawn); the target's current
// position ends at to. Raises the framework's resource exception (CResourceException*) when
// no pen can be made, with the target untouched.
VENEER_API void AfxDrawSingleLine(CDC* target, CPoint from, CPoint to, COLORREF color);

// Fills rect with a linear gradient from first to second colour: left to right when
// vertical is 0, top to bottom otherwise. Bits 24 to 31 of the colours are ignored.
VENEER_API void AfxGradientFillRect(CDC* target, CRect& rect, COLORREF first, COLORREF second, int vertical);

// Three-slice drawing of a skin strip: caps first_cap and second_cap copied unscaled at the
// ends of dest (as thick as dest), the middle stretched between them. The strip is
// source_width long horizontally, source_height vertically; the other size is the middle's
// thickness in the bitmap. Both caps 0 means (length - 2) / 2 each; one cap 0 is a cap of 0.
VENEER_API void AfxDrawHoriRectEx(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                                  CRect dest, int first_cap, int second_cap);
VENEER_API void AfxDrawVertRectEx(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                                  CRect dest, int first_cap, int second_cap);
// The same with default caps.
VENEER_API void AfxDrawRect(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                            CRect dest);
VENEER_API void AfxDrawVertRect(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                                CRect dest);

// Draws the block of bitmap at source into dest, leaving pixels of the key colour (compared
// in the target's pixel format) transparent. The target's background and text colours are
// set and restored through the CDC object's own SetBkColor and SetTextColor.
VENEER_API void AfxDrawTransBitmap(CDC* target, CBitmap* bitmap, CPoint source, CRect dest, COLORREF key);

// Writes the overlay, less its RGB(255, 0, 255) pixels, into base with its top-left at pos;
// what falls outside the base is clipped. No effect when either is null or empty, or when
// both are the same bitmap.
VENEER_API void AfxOverlapBitmap(CBitmap* base, CBitmap* overlay, CPoint pos);

// Rewrites a 24- or 32-bit bitmap's pixels as gray: each pixel's blue, green and red become
// floor(0.114 blue) + floor(0.587 green) + floor(0.299 red); the fourth byte of a 32-bit
// pixel is kept. Other depths, and a bitmap whose bits cannot be read whole or buffered, are
// left as they are.
VENEER_API void AfxConvertToGray24(CBitmap* bitmap);

// Gives destination a new bitmap with the source's size, format and pixel values,
// destroying the one it held; the caller owns the new bitmap. 0 (destination untouched)
// when either is null, the source is empty or cannot be read, or the copy cannot be made.
VENEER_API int AfxCopyBitmap(CBitmap* source, CBitmap* destination);

// Replaces region's region with the bitmap's rectangle less its RGB(255, 0, 255) pixels; the
// caller owns the new region. 0 (region untouched) when an argument is null or empty, the
// bitmap cannot be read or the region cannot be built.
VENEER_API int AfxCreateSkinRegion(CBitmap* bitmap, CRgn* region);
