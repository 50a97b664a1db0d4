// USER of the headless platform: window classes, windows and their procedures, geometry with
// a non-client frame that follows the style, z-order, visibility, activation, the desktop's
// work area, attention (flashing, caption animation) and a few rectangle helpers.
// The behaviour follows Win32 as Wine shows it (see the conformance tests in
// tests/platform/desktop_*_test.cpp).
#pragma once

#include <veneer/headless/types.h>

#define ERROR_INVALID_MENU_HANDLE 1401L
#define ERROR_TLW_WITH_WSCHILD 1406L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_NOT_CHILD_WINDOW 1442L

// Window styles
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)

#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_TRANSPARENT 0x00000020L
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_WINDOWEDGE 0x00000100L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_STATICEDGE 0x00020000L
#define WS_EX_APPWINDOW 0x00040000L
#define WS_EX_LAYERED 0x00080000L

#define CW_USEDEFAULT (static_cast<int>(0x80000000))

// Class styles
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020
#define CS_GLOBALCLASS 0x4000

// Messages
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_NCCREATE 0x0081
#define WM_NCPAINT 0x0085
#define WM_PRINT 0x0317
#define WM_PRINTCLIENT 0x0318
#define WM_NCDESTROY 0x0082
#define WM_COPYDATA 0x004A
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define WM_APP 0x8000

// PeekMessage
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// SetTimer: shorter and longer periods are raised or lowered to these.
#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF

// Virtual keys that TranslateMessage turns into characters
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20

#define WA_INACTIVE 0
#define WA_ACTIVE 1

#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// ShowWindow commands
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SW_FORCEMINIMIZE 11

// SetWindowPos
#define HWND_TOP (reinterpret_cast<HWND>(0))
#define HWND_BOTTOM (reinterpret_cast<HWND>(1))
#define HWND_TOPMOST (reinterpret_cast<HWND>(-1))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(-2))
#define HWND_MESSAGE (reinterpret_cast<HWND>(-3))
#define HWND_DESKTOP (reinterpret_cast<HWND>(0))

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define SWP_NOCOPYBITS 0x0100
#define SWP_NOOWNERZORDER 0x0200
#define SWP_NOSENDCHANGING 0x0400
#define SWP_DEFERERASE 0x2000
#define SWP_ASYNCWINDOWPOS 0x4000

// RedrawWindow
#define RDW_INVALIDATE 0x0001
#define RDW_INTERNALPAINT 0x0002
#define RDW_ERASE 0x0004
#define RDW_VALIDATE 0x0008
#define RDW_NOINTERNALPAINT 0x0010
#define RDW_NOERASE 0x0020
#define RDW_NOCHILDREN 0x0040
#define RDW_ALLCHILDREN 0x0080
#define RDW_UPDATENOW 0x0100
#define RDW_ERASENOW 0x0200
#define RDW_FRAME 0x0400
#define RDW_NOFRAME 0x0800

// GetWindow
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5

// GetWindowLong
#define GWL_WNDPROC (-4)
#define GWL_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_ID (-12)
#define GWLP_USERDATA (-21)

// SystemParametersInfo
#define SPI_SETWORKAREA 0x002F
#define SPI_GETWORKAREA 0x0030
#define SPIF_UPDATEINIFILE 0x0001
#define SPIF_SENDCHANGE 0x0002

// GetSystemMetrics
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CXFRAME 32
#define SM_CYFRAME 33
#define SM_CXMINTRACK 34
#define SM_CYMINTRACK 35
#define SM_CXEDGE 45
#define SM_CYEDGE 46
#define SM_CYSMCAPTION 51
#define SM_CXMINIMIZED 57
#define SM_CYMINIMIZED 58
#define SM_CXMAXTRACK 59
#define SM_CYMAXTRACK 60

// GetSysColor and GetSysColorBrush
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_DESKTOP COLOR_BACKGROUND
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_BTNSHADOW 16
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28
#define COLOR_MENUHILIGHT 29
#define COLOR_MENUBAR 30

// DrawAnimatedRects
#define IDANI_OPEN 1
#define IDANI_CAPTION 3

// FlashWindowEx
#define FLASHW_STOP 0
#define FLASHW_CAPTION 0x00000001
#define FLASHW_TRAY 0x00000002
#define FLASHW_ALL (FLASHW_CAPTION | FLASHW_TRAY)
#define FLASHW_TIMER 0x00000004
#define FLASHW_TIMERNOFG 0x0000000C

#define MAKEINTATOM(i) (reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA, *PWNDCLASSA, *LPWNDCLASSA;

typedef struct tagWNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
} WNDCLASSEXA, *PWNDCLASSEXA, *LPWNDCLASSEXA;

typedef struct tagCREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *PMSG, *LPMSG;

typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

typedef struct {
  UINT cbSize;
  HWND hwnd;
  DWORD dwFlags;
  UINT uCount;
  DWORD dwTimeout;
} FLASHWINFO, *PFLASHWINFO;

// LoadImageA
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_LOADFROMFILE 0x00000010
#define LR_LOADTRANSPARENT 0x00000020
#define LR_DEFAULTSIZE 0x00000040
#define LR_VGACOLOR 0x00000080
#define LR_LOADMAP3DCOLORS 0x00001000
#define LR_CREATEDIBSECTION 0x00002000
#define LR_SHARED 0x00008000

typedef struct tagCOPYDATASTRUCT {
  ULONG_PTR dwData;
  DWORD cbData;
  PVOID lpData;
} COPYDATASTRUCT, *PCOPYDATASTRUCT;

extern "C" {
// Classes. Application classes belong to the registering process and hide the platform's
// classes of the same name ("ToolbarWindow32", "Static", "Button").
HEADLESS_API ATOM WINAPI RegisterClassA(const WNDCLASSA* window_class);
HEADLESS_API ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* window_class);
HEADLESS_API BOOL WINAPI UnregisterClassA(LPCSTR class_name, HINSTANCE instance);
HEADLESS_API int WINAPI GetClassNameA(HWND window, LPSTR class_name, int size);

// Windows
HEADLESS_API HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x,
                                         int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                         LPVOID param);
// Win32's own CreateWindowA is this macro, not an entry point.
#define CreateWindowA(class_name, window_name, style, x, y, width, height, parent, menu, instance, param) \
  CreateWindowExA(0L, class_name, window_name, style, x, y, width, height, parent, menu, instance, param)
HEADLESS_API BOOL WINAPI DestroyWindow(HWND window);
HEADLESS_API BOOL WINAPI IsWindow(HWND window);
HEADLESS_API BOOL WINAPI IsChild(HWND parent, HWND window);
HEADLESS_API HWND WINAPI GetParent(HWND window);
HEADLESS_API HWND WINAPI GetWindow(HWND window, UINT relation);
HEADLESS_API HWND WINAPI GetTopWindow(HWND window);
HEADLESS_API HWND WINAPI GetDesktopWindow();
HEADLESS_API LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
HEADLESS_API LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
HEADLESS_API LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wparam, LPARAM lparam);
HEADLESS_API BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
HEADLESS_API int WINAPI GetWindowTextA(HWND window, LPSTR text, int size);
HEADLESS_API LONG WINAPI GetWindowLongA(HWND window, int index);
HEADLESS_API LONG WINAPI SetWindowLongA(HWND window, int index, LONG value);
HEADLESS_API LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index);
HEADLESS_API LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
HEADLESS_API DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD process_id);
HEADLESS_API HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR window_name);
HEADLESS_API HWND WINAPI FindWindowExA(HWND parent, HWND child_after, LPCSTR class_name, LPCSTR window_name);

// The message queue: one per thread; a window's messages go to the queue of the thread that
// created it. Messages come out in Win32's order: posted ones first (in the order posted),
// then WM_QUIT from PostQuitMessage, then WM_TIMER of a due timer. The quit message and its
// exit code are taken whatever the filter asks. Filters: a null window takes every message of
// the thread, (HWND)-1 only posted thread messages, a window its own and its descendants'
// messages; a range of 0 to 0 takes all, a range whose first exceeds its last takes none.
// A queue holds at most 10,000 posted messages, as Win32's default quota allows; posting
// past it fails with ERROR_NOT_ENOUGH_QUOTA.
HEADLESS_API BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// An unknown thread fails with ERROR_INVALID_PARAMETER, as Wine answers.
HEADLESS_API BOOL WINAPI PostThreadMessageA(DWORD thread_id, UINT message, WPARAM wparam, LPARAM lparam);
HEADLESS_API void WINAPI PostQuitMessage(int exit_code);
HEADLESS_API BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove);
// Returns 0 for WM_QUIT, -1 for a bad window filter or a null MSG. With nothing to take it
// waits: for the earliest timer the filter takes by moving the platform's clock forward to it
// at once (the clock moves only so, or through the testing hook), and with no such timer
// until another thread posts to the queue. A single-threaded program waiting with neither
// waits forever, as on Win32.
HEADLESS_API BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT first, UINT last);
// Key messages give characters for letters (lower case: there is no shift state), digits,
// space, return, backspace, tab and escape; TRUE for every key message, FALSE for others.
HEADLESS_API BOOL WINAPI TranslateMessage(const MSG* msg);
// Calls the window procedure and returns its result; a WM_TIMER whose lParam is a callback
// given to SetTimer calls the callback instead (and returns 0). Thread messages give 0.
HEADLESS_API LRESULT WINAPI DispatchMessageA(const MSG* msg);

// Timers on the platform's clock, in milliseconds. A window timer keeps the caller's id
// (SetTimer returns it, or 1 for id 0); a thread timer (null window) gets a new id unless the
// id names one of the thread's timers, which is then replaced. A due timer gives one
// WM_TIMER however late it is. A bad window fails with ERROR_INVALID_HANDLE, as Wine answers;
// a window of another thread with ERROR_ACCESS_DENIED; KillTimer of an unknown timer with
// ERROR_INVALID_PARAMETER. Destroying a window ends its timers and drops its posted messages.
HEADLESS_API UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback);
HEADLESS_API BOOL WINAPI KillTimer(HWND window, UINT_PTR id);

// Visibility, state and activation
HEADLESS_API BOOL WINAPI ShowWindow(HWND window, int command);
HEADLESS_API BOOL WINAPI IsWindowVisible(HWND window);
HEADLESS_API BOOL WINAPI IsIconic(HWND window);
HEADLESS_API BOOL WINAPI IsZoomed(HWND window);
HEADLESS_API HWND WINAPI GetForegroundWindow();
HEADLESS_API BOOL WINAPI SetForegroundWindow(HWND window);
HEADLESS_API BOOL WINAPI AttachThreadInput(DWORD attaching_thread, DWORD attached_to_thread, BOOL attach);

// Geometry
HEADLESS_API BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);
HEADLESS_API BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
HEADLESS_API BOOL WINAPI ScreenToClient(HWND window, LPPOINT point);
HEADLESS_API BOOL WINAPI ClientToScreen(HWND window, LPPOINT point);
HEADLESS_API int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);
HEADLESS_API BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
HEADLESS_API BOOL WINAPI SetWindowPos(HWND window, HWND insert_after, int x, int y, int width, int height, UINT flags);
HEADLESS_API BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD ex_style);
HEADLESS_API BOOL WINAPI RedrawWindow(HWND window, const RECT* update, HRGN region, UINT flags);

// Painting. Each window keeps an update region (client coordinates) that the calls below add
// to and take from; a visible window with one gets WM_PAINT from its thread's queue when no
// posted message is waiting, or at once from UpdateWindow and RedrawWindow(RDW_UPDATENOW).
// BeginPaint sends WM_NCPAINT and WM_ERASEBKGND where they are pending, empties the update
// region and gives a context limited to it; EndPaint releases it. Showing a window
// invalidates all of it and draws its frame and background at once. Windows draw into
// surfaces of their own, composed onto the screen when the screen is read (GetDC(NULL)).
typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *PPAINTSTRUCT, *LPPAINTSTRUCT;
HEADLESS_API HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint);
HEADLESS_API BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);
HEADLESS_API BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase);
HEADLESS_API BOOL WINAPI InvalidateRgn(HWND window, HRGN region, BOOL erase);
HEADLESS_API BOOL WINAPI ValidateRect(HWND window, const RECT* rect);
HEADLESS_API BOOL WINAPI ValidateRgn(HWND window, HRGN region);
HEADLESS_API BOOL WINAPI UpdateWindow(HWND window);
HEADLESS_API BOOL WINAPI GetUpdateRect(HWND window, LPRECT rect, BOOL erase);
HEADLESS_API int WINAPI GetUpdateRgn(HWND window, HRGN region, BOOL erase);
// A context for the whole window, frame included (window coordinates).
HEADLESS_API HDC WINAPI GetWindowDC(HWND window);
// A window drawn into a context of the caller's: PrintWindow sends WM_PRINT, which
// DefWindowProc answers, as Wine's does, with WM_ERASEBKGND and WM_PRINTCLIENT for the client
// area drawn at the context's origin; the frame, children and owned windows are not drawn.
#define PRF_CHECKVISIBLE 0x00000001
#define PRF_NONCLIENT 0x00000002
#define PRF_CLIENT 0x00000004
#define PRF_ERASEBKGND 0x00000008
#define PRF_CHILDREN 0x00000010
#define PRF_OWNED 0x00000020
#define PW_CLIENTONLY 0x00000001
HEADLESS_API BOOL WINAPI PrintWindow(HWND window, HDC dc, UINT flags);

// Window shapes. SetWindowRgn gives the region (window coordinates) to the window, which owns
// it from then on: the caller may not delete it (DeleteObject fails), and the window deletes
// it when it gets another shape or is destroyed. A null region gives back the rectangle.
// Returns nonzero, 0 for a bad window or region. GetWindowRgn copies the shape into `region`
// and GetWindowRgnBox gives its box: the region's type, ERROR (0) for a window without a
// shape, a bad window or a null argument.
HEADLESS_API int WINAPI SetWindowRgn(HWND window, HRGN region, BOOL redraw);
HEADLESS_API int WINAPI GetWindowRgn(HWND window, HRGN region);
HEADLESS_API int WINAPI GetWindowRgnBox(HWND window, LPRECT box);
// The deepest visible window whose rectangle and shape hold the screen point (a disabled child
// leaves it to its parent); the desktop window where there is none.
HEADLESS_API HWND WINAPI WindowFromPoint(POINT point);

// The desktop
HEADLESS_API BOOL WINAPI SystemParametersInfoA(UINT action, UINT uparam, PVOID pvparam, UINT win_ini);
HEADLESS_API int WINAPI GetSystemMetrics(int index);

// Attention
HEADLESS_API BOOL WINAPI FlashWindowEx(PFLASHWINFO info);
HEADLESS_API BOOL WINAPI DrawAnimatedRects(HWND window, int animation, const RECT* from, const RECT* to);

// System colours: Wine's default scheme. An index past COLOR_MENUBAR gives 0 and a null
// brush. The brushes belong to the system: DeleteObject of one succeeds and leaves it.
HEADLESS_API DWORD WINAPI GetSysColor(int index);
HEADLESS_API HBRUSH WINAPI GetSysColorBrush(int index);

// Painting rectangles. `brush` may be a system colour index plus one. FillRect fills as
// PatBlt(PATCOPY) fills the rectangle's extents (an inverted one too); FrameRect draws a
// one-pixel border inside the rectangle and fails for an empty or inverted one. Both fail for
// a null rectangle, a bad context or a brush that cannot be selected, and leave the context's
// brush as it was.
HEADLESS_API BOOL WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush);
HEADLESS_API BOOL WINAPI FrameRect(HDC dc, const RECT* rect, HBRUSH brush);

// Images. Bitmaps from BMP files only (IMAGE_BITMAP with LR_LOADFROMFILE): 1, 4, 8, 16, 24 and
// 32 bits, uncompressed or bit fields, either row order, any of the four header sizes. Without
// LR_CREATEDIBSECTION the result is a device bitmap of the screen's depth, or a monochrome one
// for a file of black and white; with it, a DIB section of the file's depth where this GDI has
// it (1 bit of black and white, 24 and 32 bits) and 32 bits otherwise. cx and cy give another
// size (0: the file's), to which the pixels are stretched. Other flags are ignored, as Win32
// does. A file that is missing, cut short, inconsistent or of a kind not read here gives NULL
// and the error (see docs/headless-platform.md).
HEADLESS_API HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);

// Rectangles
HEADLESS_API BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);
HEADLESS_API BOOL WINAPI CopyRect(LPRECT destination, const RECT* source);
// Rectangle arithmetic. A rectangle with right <= left or bottom <= top is empty, and a null
// rectangle counts as empty; coordinates wrap around as 32-bit integers, as on Win32.
HEADLESS_API BOOL WINAPI SetRectEmpty(LPRECT rect);
HEADLESS_API BOOL WINAPI IsRectEmpty(const RECT* rect);
HEADLESS_API BOOL WINAPI EqualRect(const RECT* a, const RECT* b);
HEADLESS_API BOOL WINAPI PtInRect(const RECT* rect, POINT point);
HEADLESS_API BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy);
HEADLESS_API BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy);
HEADLESS_API BOOL WINAPI IntersectRect(LPRECT destination, const RECT* a, const RECT* b);
HEADLESS_API BOOL WINAPI UnionRect(LPRECT destination, const RECT* a, const RECT* b);
// What is left of `a` once `b` is taken away, when that is a rectangle (b spans a's width or
// height from one side); otherwise `a` itself.
HEADLESS_API BOOL WINAPI SubtractRect(LPRECT destination, const RECT* a, const RECT* b);
}
