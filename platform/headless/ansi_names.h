// The generic names of the ANSI subset (CreateWindow for CreateWindowA, ...), as Win32's headers
// define them for a program built without UNICODE, the only character set offered here.
#pragma once

#include <veneer/headless/clipboard.h>
#include <veneer/headless/commctrl.h>
#include <veneer/headless/gdi.h>
#include <veneer/headless/gdi_text.h>
#include <veneer/headless/kernel_base.h>
#include <veneer/headless/kernel_file.h>
#include <veneer/headless/shell.h>
#include <veneer/headless/user.h>

typedef CHAR TCHAR;
typedef LPSTR LPTSTR;
typedef LPCSTR LPCTSTR;
#define TEXT(quote) quote

#define LoadLibrary LoadLibraryA
#define GetModuleHandle GetModuleHandleA
#define GetModuleFileName GetModuleFileNameA
#define CreateFile CreateFileA
#define DeleteFile DeleteFileA
#define MoveFileEx MoveFileExA
#define GetFileAttributes GetFileAttributesA

#define GetObject GetObjectA
#define CreateFontIndirect CreateFontIndirectA
#define CreateFont CreateFontA
#define GetTextExtentPoint32 GetTextExtentPoint32A
#define GetTextFace GetTextFaceA
#define GetTextMetrics GetTextMetricsA
#define TextOut TextOutA

#define RegisterClass RegisterClassA
#define RegisterClassEx RegisterClassExA
#define UnregisterClass UnregisterClassA
#define GetClassName GetClassNameA
#define CreateWindowEx CreateWindowExA
#define CreateWindow CreateWindowA
#define SendMessage SendMessageA
#define DefWindowProc DefWindowProcA
#define CallWindowProc CallWindowProcA
#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define GetWindowLong GetWindowLongA
#define SetWindowLong SetWindowLongA
#define GetWindowLongPtr GetWindowLongPtrA
#define SetWindowLongPtr SetWindowLongPtrA
#define FindWindow FindWindowA
#define FindWindowEx FindWindowExA
#define SystemParametersInfo SystemParametersInfoA
#define DrawText DrawTextA
#define LoadImage LoadImageA

#define Shell_NotifyIcon Shell_NotifyIconA

typedef LOGFONTA LOGFONT;
typedef TEXTMETRICA TEXTMETRIC;
typedef WNDCLASSA WNDCLASS;
typedef WNDCLASSEXA WNDCLASSEX;
typedef CREATESTRUCTA CREATESTRUCT;
typedef NOTIFYICONDATAA NOTIFYICONDATA;
