// The clipboard of the headless desktop: one per process, opened by one window at a time,
// holding global memory blocks (and bitmaps) by format, as on Win32. The text formats
// CF_TEXT and CF_UNICODETEXT stand in for each other: when one of them is placed, the other
// becomes available after the clipboard is closed, converted through the ANSI code page when
// it is first asked for (as Wine does).
//
// The owner window is taken as an identity: two opens by the same window (even a null one)
// from different threads are one owner, as in Wine.
#pragma once

#include <veneer/headless/kernel_base.h>

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_OEMTEXT 7
#define CF_DIB 8
#define CF_UNICODETEXT 13

#define ERROR_CLIPBOARD_NOT_OPEN 1418L

extern "C" {
// Fails with ERROR_ACCESS_DENIED while another window has the clipboard open.
HEADLESS_API BOOL WINAPI OpenClipboard(HWND owner);
// Only the thread that opened the clipboard closes it (else ERROR_CLIPBOARD_NOT_OPEN).
HEADLESS_API BOOL WINAPI CloseClipboard();
// Frees everything on the clipboard and makes the opener its owner.
HEADLESS_API BOOL WINAPI EmptyClipboard();
// The clipboard takes the data (a global memory handle, or an HBITMAP for CF_BITMAP) and frees
// it when it is emptied or replaced; a null handle (delayed rendering) is not offered.
HEADLESS_API HANDLE WINAPI SetClipboardData(UINT format, HANDLE data);
// The clipboard's own handle: the caller locks it but never frees it.
HEADLESS_API HANDLE WINAPI GetClipboardData(UINT format);
HEADLESS_API BOOL WINAPI IsClipboardFormatAvailable(UINT format);
HEADLESS_API int WINAPI CountClipboardFormats();
HEADLESS_API HWND WINAPI GetOpenClipboardWindow();
HEADLESS_API HWND WINAPI GetClipboardOwner();
}
