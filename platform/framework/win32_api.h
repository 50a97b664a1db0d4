// The platform the framework stand-in is written over: the real Win32 API on Windows, the
// headless platform's implementation of the same subset everywhere else.
#pragma once

#ifdef _WIN32
#include <windows.h>
// The rest need windows.h first.
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>
#else
#include <veneer/headless/win32.h>
#endif

#if defined(_WIN32)
#if defined(VENEER_FRAMEWORK_BUILD)
#define VENEER_FRAMEWORK_API __declspec(dllexport)
#else
#define VENEER_FRAMEWORK_API __declspec(dllimport)
#endif
#else
#define VENEER_FRAMEWORK_API __attribute__((visibility("default")))
#endif
