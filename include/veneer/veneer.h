// Veneer: utilities for desktop applications that draw skinned windows and keep a tray icon.
//
// Conventions that hold for every export below:
// - Each is a free function that runs to completion on the caller's thread. None starts a
//   thread or a timer, and none keeps state between calls except AfxGetAppPath's cache.
// - Failures are reported only through the result: a BOOL (int) function returns 0, a size
//   function 0, a string function an empty string, and a function without a result returns
//   without effect. Nothing is logged and no message is shown. No export raises an
//   exception of its own; the framework's exceptions pass through to the caller, who owns
//   the exception object and calls Delete() on it: CFileException* from a file read or
//   write, CResourceException* when AfxDrawSingleLine cannot make its pen, CMemoryException*
//   when a string cannot grow.
// - Strings (CStringT) are counted 8-bit strings that may hold zero bytes; they are taken
//   and returned by value, so the caller's string is never changed and every returned
//   string is the caller's own.
// - Objects passed in (windows, CWnd, CDC, CBitmap, CRgn, CFont, CRect) stay the caller's.
//   A function changes them only where its comment says so. Two exports hand a new object
//   to the caller: AfxCopyBitmap (a bitmap, into the caller's CBitmap) and
//   AfxCreateSkinRegion (a region, into the caller's CRgn). The CBitmap or CRgn then owns
//   it and deletes it when destroyed or when its DeleteObject() is called; the object it
//   held before has been deleted by the call. Everything else a function creates (device
//   contexts, bitmaps, pens, regions, process handles, memory in another process) is
//   released before it returns, on every path.
// - A drawing function leaves the caller's device context with the selected objects,
//   background and text colours, stretch mode and (but for AfxDrawSingleLine) current
//   position it had; only pixels change.
#pragma once

// COLORREF and DWORD are 32-bit unsigned values on every platform (unsigned long on Windows).

#include <veneer/framework/afx_geometry.h>
#include <veneer/framework/afx_string.h>
#include <veneer/framework/afx_window.h>
#include <veneer/framework/win32_api.h>

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

// Complement scrambling: the text with every byte b of its counted length replaced by
// 255 - b, the length kept (zero bytes included; 0xFF becomes a zero byte inside the
// result). Applying it twice gives the input back. It has no key: it hides text from a
// casual look, it does not encrypt. Cannot fail; an empty text gives an empty string.
VENEER_API CStringT AfxEncryptString(CStringT text);

// Form-style URL encoding (application/x-www-form-urlencoded) of the whole counted text:
// ASCII letters and digits pass unchanged, a space becomes "+", and every other byte (zero
// bytes, the other white space, marks such as "-" "_" "." "~", 0x80-0xFF) becomes "%" and
// two uppercase hex digits. Classification ignores the host's locale. The result is at
// most three times as long as the text; an empty text gives an empty string. Raises the
// memory exception (CMemoryException*) when the result cannot be allocated.
VENEER_API CStringT AfxUrlEncode(CStringT text);

// The extension of the path's last component, without its dot and with its case kept: the
// characters after the last "." that follows the last "\" or "/" ("photo.JPG" gives "JPG",
// "archive.tar.gz" gives "gz"). The dot is searched in the text before its first zero byte.
// Empty when the last component has no dot, when the path ends with the dot, or when the
// only dot opens the string (".profile").
VENEER_API CStringT AfxGetFileExtName(CStringT path);

// Width in pixels of the text laid out as one line on a screen-compatible memory context:
// carriage returns and line feeds do not break the line, tabs are not expanded, and prefix
// processing is on ("&" marks the next character and is not measured, "&&" measures as one
// "&"). font: the font to measure in, the caller's, neither changed nor left selected; null
// measures in the stock DEFAULT_GUI_FONT. A CFont that holds no font measures in the memory
// context's default font. Result: the width, 0 for an empty text or when the measurement
// fails.
VENEER_API int AfxCaclStringLength(CStringT text, CFont* font);

// ---- Files and system ---------------------------------------------------------------------
// Paths are the platform's own, in the system's 8-bit code page, passed on unchanged.

// Size in bytes of the file at path. The file is opened for its attributes only, so the
// call works, and disturbs no one, while another program holds the file open, even for
// writing without sharing. Result: the size; 0 for an empty file and when the file cannot
// be opened (missing, a folder, no access) or its size cannot be read; 0xFFFFFFFF for a
// file of 4 GiB or more.
VENEER_API DWORD AfxGetFileSize(CStringT path);

// The whole content of the file at content_path as a counted string, zero bytes included;
// no translation of any kind. The file is opened for reading without sharing. Result:
// empty when the file cannot be opened (missing, a folder, no access, or any other handle
// holds it open) or is 2 GiB or larger; an empty file also gives an empty string. A file
// that shrinks during the read gives the bytes that were read. A read error raises the
// framework's file exception (CFileException*), after the file has been closed.
VENEER_API CStringT AfxReadFromFile(CStringT content_path);

// Writes the bytes of content as the whole new content of the file at path (note the
// order: content first). Nothing is added or translated; an empty content leaves an empty
// file. The new content goes to a temporary file beside the file (readable by the saving
// user only, named "~veneer" + 16 hexadecimal digits + ".tmp"), which then replaces it in
// one step: the old content survives any failure, and nobody ever sees a half-written file.
// The file stays what it was: a symbolic link stays a link and the file it names gets the
// content; permissions, owner and group (attributes and security on Windows) are kept. Where
// no temporary file can be made beside it or the replace is refused, and for a file with
// several names, a device or a pipe, the file is written in place (truncated, then
// written). No effect when the file cannot be opened for writing (another handle holds it,
// it is read-only, for the superuser too, it is a folder, no access) or when its folder does
// not exist. A write error raises the framework's file exception (CFileException*, naming
// path); after a temporary file the old content is kept and the temporary file removed.
VENEER_API void AfxSaveToFile(CStringT content, CStringT path);

// The folder of the host's executable, ending with its separator ("\" on Windows, "/" on the
// headless platform); the whole name when it has no separator. Computed on the first call
// and cached until the library is unloaded; safe when first calls race on several threads.
// Names of any length are kept whole. Result: empty when the platform cannot name the
// executable (a failure is not cached; the next call asks again).
VENEER_API CStringT AfxGetAppPath();

// The clipboard's text in the system's 8-bit code page (CF_TEXT; the platform converts
// Unicode text), up to its first zero byte and never past the end of the clipboard's block.
// The clipboard is opened for the desktop window and always closed again. Result: empty
// when the clipboard holds no text, is held open by another window, or its data cannot be
// read.
VENEER_API CStringT AfxGetClipboardText();

// Gives the process's physical memory back to the system: empties the working set (both
// limits all ones) when it is larger than 20,000,000 bytes (a decimal count). With force 0
// it does so only while the user works elsewhere: not when this process owns the foreground
// window, not when window (the host's main window, used for its handle only) is minimised,
// and not when window is null. With force non-zero window is not read and may be null. No
// result; a failed query or trim is not reported.
VENEER_API void AfxCleanMemory(CWnd* window, int force);

// ---- Windows and the tray -----------------------------------------------------------------

// Brings the window to the user: restores it if minimised, raises it to the top of the
// ordinary z-order (not always-on-top) and makes it the foreground window. The calling
// thread's input is joined to the foreground window's thread for the moment of the raise,
// as Windows requires for a window of another thread, and separated again. No effect for a
// handle that is not a window.
VENEER_API void AfxShowOnTopWindow(HWND window);

// Sizes the window to width x height and centres it in the desktop's work area (the screen
// less the taskbar), wherever the work area starts; a window larger than the work area
// overhangs it evenly. At (100, 100) when the work area cannot be read. The z-order is kept.
// No effect for a handle that is not a window or a width or height <= 0.
VENEER_API void AfxCenterDesktop(HWND window, int width, int height);

// Moves the child control by (dx, dy) from where it stands, in its parent's client
// coordinates; new_width and new_height replace its size when > 0 (0 or less keeps that
// side). The control is then invalidated, erased and repainted at once. No effect unless
// both handles are windows.
VENEER_API void AfxOffSetCtrl(HWND parent, HWND control, int dx, int dy, int new_width, int new_height);

// AfxOffSetCtrl on the windows held by two framework objects; no effect when either pointer
// is null.
VENEER_API void AfxOffSetCtrlWnd(CWnd* parent, CWnd* control, int dx, int dy, int new_width, int new_height);

// Flashes the window's taskbar button (not its caption), 400 ms apart, until the window
// comes to the foreground; count goes to the platform as its unsigned flash count. The
// handle is not checked here: the platform refuses one that is not a window. No effect on a
// platform without FlashWindowEx.
VENEER_API void AfxFlashWindow(HWND window, int count);

// The shell's notification area: the "TrayNotifyWnd" child of the "Shell_TrayWnd" taskbar.
// Null when there is no taskbar or it has no notification area (the headless desktop has
// none until a shell is started). Looked up afresh on every call; the window is the
// shell's, not the caller's.
VENEER_API HWND AfxTrayNotifyWnd();

// The toolbar whose buttons are the tray icons: the "ToolbarWindow32" inside the "SysPager"
// of the notification area. Null when any link of that chain is missing (shells that draw
// the tray without the pager). The window is the shell's.
VENEER_API HWND AfxTrayNotifyToolbarWnd();

// Plays the caption animation from the window's rectangle to a box 50 pixels wide in the
// notification area (its pager when there is one): centred in an area wider than 80
// pixels, at its left edge otherwise. The window is neither hidden, minimised nor moved;
// do that yourself. No effect for a handle that is not a window, a hidden or minimised
// window, or without a notification area.
VENEER_API void AfxAnimate2Tray(HWND window);

// Finds where the tray icon that owner added with icon_id (the window and identifier given
// to Shell_NotifyIcon) is drawn. The shell's tray toolbar is searched in its own process,
// reading the records in that process's layout (32- or 64-bit, whatever this program's);
// the first button with that owner and identifier decides. Without the toolbar chain the
// shell is asked (Shell_NotifyIconGetRect) where it offers that. Result: 1 with rect set to
// the icon's screen rectangle; 0 with rect untouched when owner is not a window, icon_id is
// negative, there is no tray, the icon is not found or is hidden, or the shell's process
// cannot be read.
VENEER_API int AfxFindTrayIconPosition(HWND owner, int icon_id, CRect& rect);

// ---- Skin graphics ------------------------------------------------------------------------
// target: the caller's CDC. A null target, or a target CDC that holds no device context,
// draws nothing. Bitmaps are the caller's and are only read, unless a comment says otherwise.
// A null source bitmap, or one that holds no bitmap (or a destroyed one), makes a function a
// no-op; so does a bitmap that cannot be read because it is selected into another device
// context (the host must deselect it first), and a working object the platform cannot
// create. Coordinates are the target's logical ones; source points are pixels of the bitmap,
// and the block they start should lie inside it. Sizes go to the platform as computed (a
// negative width or height mirrors), except where a comment says otherwise. No function sets
// a stretch mode: scaled parts use the target's own (SetStretchBltMode). No function has a
// result.

// Copies the dest.Width() x dest.Height() block of the bitmap at source to dest's top-left
// corner, unscaled (SRCCOPY).
VENEER_API void AfxDrawNormalBitmap(CDC* target, CBitmap* bitmap, CPoint source, CRect dest);

// Maps the source_width x source_height block of the bitmap at source onto dest, scaled
// with the target's stretch mode (SRCCOPY). At the same size it draws what
// AfxDrawNormalBitmap draws.
VENEER_API void AfxDrawStretchBitmap(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                                     CRect dest);

// A solid line one pixel wide in color, from from up to but not including to; the target's
// current position ends at to. The pen is made and deleted by the call; the target's own pen
// is selected back. Raises the framework's resource exception (CResourceException*) when no
// pen can be made, with the target untouched; nothing is drawn when the pen cannot be
// selected.
VENEER_API void AfxDrawSingleLine(CDC* target, CPoint from, CPoint to, COLORREF color);

// Fills rect with a linear two-colour gradient: from first at the left edge to second at the
// right edge, each column one colour, when vertical is 0; from first at the top to second at
// the bottom, each row one colour, for any other value. rect is read only. Bits 24 to 31 of
// the colours are ignored.
VENEER_API void AfxGradientFillRect(CDC* target, CRect& rect, COLORREF first, COLORREF second, int vertical);

// Three-slice drawing of a skin strip into dest: the first cap copied unscaled at dest's
// start, the second cap copied unscaled at its end, and the middle stretched between them
// (drawn in that order, so where the caps overlap in a short dest the second wins).
// Horizontal (AfxDrawHoriRectEx): the strip at source is source_width long, caps included;
// first_cap and second_cap are the left and right caps' widths; the caps take dest's height
// in rows of the bitmap, unscaled, and the middle's source_height rows are stretched to it.
// Vertical (AfxDrawVertRectEx): the strip is source_height long; the caps are the top and
// bottom heights and take dest's width; the middle's source_width columns are stretched to
// it. Both caps 0 means (length - 2) / 2 each, leaving a middle of 2 or 3 pixels; one cap 0
// is a cap of 0.
VENEER_API void AfxDrawHoriRectEx(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                                  CRect dest, int first_cap, int second_cap);
VENEER_API void AfxDrawVertRectEx(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                                  CRect dest, int first_cap, int second_cap);
// The same with both caps 0, the default caps: AfxDrawHoriRectEx(..., 0, 0) and
// AfxDrawVertRectEx(..., 0, 0).
VENEER_API void AfxDrawRect(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                            CRect dest);
VENEER_API void AfxDrawVertRect(CDC* target, CBitmap* bitmap, CPoint source, int source_width, int source_height,
                                CRect dest);

// Draws the dest.Width() x dest.Height() block of the bitmap at source into dest, unscaled,
// leaving the target's pixels where the block's pixels have the key colour (any colour,
// compared after conversion to the target's pixel format); every other pixel arrives
// unchanged. No effect for an empty dest (width or height <= 0). The target's background
// and text colours are changed for the call through the CDC object's own SetBkColor and
// SetTextColor (which a derived class may override) and restored the same way.
VENEER_API void AfxDrawTransBitmap(CDC* target, CBitmap* bitmap, CPoint source, CRect dest, COLORREF key);

// Writes the whole overlay, less its RGB(255, 0, 255) pixels, into the base bitmap with its
// top-left pixel at pos; the base's other pixels are kept and what falls outside the base is
// clipped. Changes base in place; the overlay is only read. No effect when either is null or
// holds no bitmap, when they are the same bitmap, or when either is selected into a device
// context.
VENEER_API void AfxOverlapBitmap(CBitmap* base, CBitmap* overlay, CPoint pos);

// Rewrites the pixels of a 24- or 32-bit bitmap as gray, in place: each pixel's blue, green
// and red become floor(0.114 blue) + floor(0.587 green) + floor(0.299 red) (at most 254, so
// white becomes (254, 254, 254) and the skin key colour is no longer the key); the fourth
// byte of a 32-bit pixel is kept. Left as it is: another depth, an empty bitmap, and a
// bitmap whose bits cannot be read whole or buffered.
VENEER_API void AfxConvertToGray24(CBitmap* bitmap);

// Copies the source bitmap: destination receives a new bitmap with the source's size,
// format and pixel values, and the bitmap it held before (if any) is deleted. The caller
// owns the new bitmap through destination, which deletes it when destroyed. source may be
// the same object as destination. Result: 1 on success; 0, with destination untouched and
// nothing left behind, when either pointer is null, the source holds no bitmap or is
// selected into a device context, or the copy cannot be made.
VENEER_API int AfxCopyBitmap(CBitmap* source, CBitmap* destination);

// Builds a window region from a skin bitmap: the bitmap's rectangle (0, 0, width, height)
// less every pixel of exactly RGB(255, 0, 255), in the bitmap's pixel coordinates. The
// region replaces what region held (the old region is deleted); the caller owns the new
// one through region, which deletes it when destroyed (on Windows, to shape a window, pass
// the handle to SetWindowRgn and Detach() it: the window then owns it). The bitmap is only
// read. Result: 1 on success (an empty bitmap gives an empty region); 0, with region
// untouched, when either pointer is null, the bitmap holds no bitmap or is selected into a
// device context, or the region cannot be built.
VENEER_API int AfxCreateSkinRegion(CBitmap* bitmap, CRgn* region);
