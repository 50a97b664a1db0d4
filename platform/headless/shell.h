// The shell of the headless platform. The desktop starts without one, as Wine's null driver
// does; a program starts it with HeadlessStartShell. The shell runs in the desktop's own
// process and shows a taskbar whose notification area holds a toolbar with one button per
// tray icon; each button's data is the address, in the shell's process, of the shell's
// record of the icon (owner window, identifier, ...).
#pragma once

#include <veneer/headless/types.h>

typedef LONG HRESULT;

#ifndef S_OK
#define S_OK (static_cast<HRESULT>(0L))
#define S_FALSE (static_cast<HRESULT>(1L))
#define E_NOTIMPL (static_cast<HRESULT>(0x80004001L))
#define E_FAIL (static_cast<HRESULT>(0x80004005L))
#define E_INVALIDARG (static_cast<HRESULT>(0x80070057L))
#endif
#ifndef SUCCEEDED
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#endif

#ifndef GUID_DEFINED
#define GUID_DEFINED
typedef struct _GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
} GUID;
#endif

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIM_SETFOCUS 0x00000003
#define NIM_SETVERSION 0x00000004

#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004
#define NIF_STATE 0x00000008
#define NIF_INFO 0x00000010
#define NIF_GUID 0x00000020

#define NIS_HIDDEN 0x00000001
#define NIS_SHAREDICON 0x00000002

typedef struct _NOTIFYICONDATAA {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  CHAR szInfo[256];
  union {
    UINT uTimeout;
    UINT uVersion;
  };
  CHAR szInfoTitle[64];
  DWORD dwInfoFlags;
  GUID guidItem;
  HICON hBalloonIcon;
} NOTIFYICONDATAA, *PNOTIFYICONDATAA;

// The first, shortest form of the record (a 64-character tip) that callers may still pass.
#define NOTIFYICONDATAA_V1_SIZE (offsetof(NOTIFYICONDATAA, szTip) + 64)

typedef struct _NOTIFYICONIDENTIFIER {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  GUID guidItem;
} NOTIFYICONIDENTIFIER, *PNOTIFYICONIDENTIFIER;

// HeadlessStartShell flags: the toolbar of the notification area sits directly in the
// notification-area window, without the pager, as on shells that no longer have the chain
// "Shell_TrayWnd" > "TrayNotifyWnd" > "SysPager" > "ToolbarWindow32".
#define HEADLESS_SHELL_NO_PAGER 0x0001

extern "C" {
HEADLESS_API BOOL WINAPI Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);
HEADLESS_API HRESULT WINAPI Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* icon_location);

// Starts the headless shell: the taskbar along the bottom of the screen, which the work area
// then leaves out. FALSE when it already runs.
HEADLESS_API BOOL WINAPI HeadlessStartShell(DWORD flags);
// Stops it: its windows and icon records go, the work area is the whole screen again.
HEADLESS_API BOOL WINAPI HeadlessStopShell();
}
