// Common controls of the headless platform: the toolbar ("ToolbarWindow32") with the messages
// a notification area needs. Records that a message reads or writes through lParam live in
// the memory of the process that owns the toolbar, as with comctl32.
#pragma once

#include <veneer/headless/types.h>
#include <veneer/headless/user.h>

#define TOOLBARCLASSNAMEA "ToolbarWindow32"

#define ICC_BAR_CLASSES 0x00000004
#define ICC_WIN95_CLASSES 0x000000FF

typedef struct tagINITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;

// Control styles
#define CCS_TOP 0x00000001L
#define CCS_NOMOVEY 0x00000002L
#define CCS_BOTTOM 0x00000003L
#define CCS_NORESIZE 0x00000004L
#define CCS_NOPARENTALIGN 0x00000008L
#define CCS_NODIVIDER 0x00000040L

#define TBSTYLE_TOOLTIPS 0x0100
#define TBSTYLE_WRAPABLE 0x0200
#define TBSTYLE_FLAT 0x0800
#define TBSTYLE_LIST 0x1000

#define BTNS_BUTTON 0x00
#define BTNS_SEP 0x01
#define TBSTYLE_BUTTON BTNS_BUTTON
#define TBSTYLE_SEP BTNS_SEP

#define TBSTATE_CHECKED 0x01
#define TBSTATE_PRESSED 0x02
#define TBSTATE_ENABLED 0x04
#define TBSTATE_HIDDEN 0x08
#define TBSTATE_INDETERMINATE 0x10
#define TBSTATE_WRAP 0x20
#define TBSTATE_ELLIPSES 0x40
#define TBSTATE_MARKED 0x80

#define TB_HIDEBUTTON (WM_USER + 4)
#define TB_ADDBUTTONSA (WM_USER + 20)
#define TB_DELETEBUTTON (WM_USER + 22)
#define TB_GETBUTTON (WM_USER + 23)
#define TB_BUTTONCOUNT (WM_USER + 24)
#define TB_GETITEMRECT (WM_USER + 29)
#define TB_BUTTONSTRUCTSIZE (WM_USER + 30)

// The button record in the host's layout: 20 bytes in a 32-bit process, 32 in a 64-bit one.
typedef struct _TBBUTTON {
  int iBitmap;
  int idCommand;
  BYTE fsState;
  BYTE fsStyle;
#if UINTPTR_MAX > 0xFFFFFFFFu
  BYTE bReserved[6];
#else
  BYTE bReserved[2];
#endif
  DWORD_PTR dwData;
  INT_PTR iString;
} TBBUTTON, *PTBBUTTON, *LPTBBUTTON;
typedef const TBBUTTON* LPCTBBUTTON;

static_assert(sizeof(TBBUTTON) == (sizeof(void*) == 8 ? 32 : 20));

extern "C" {
// The platform's controls are always registered; this only checks the record.
HEADLESS_API BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
}
