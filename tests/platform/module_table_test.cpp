// Conformance of the system modules: loading one by name counts a reference, each module's
// table answers for the entry points a program finds there, and a null module is the program.
#include <gtest/gtest.h>

#include <vector>

#include <veneer/framework/win32_api.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace {

const char* const system_modules[] = {"kernel32.dll", "user32.dll",   "gdi32.dll", "msimg32.dll",
                                      "shell32.dll",  "comctl32.dll", "psapi.dll"};

TEST(ModuleTable, LoadingASystemModuleCountsAReference) {
  for (const char* name : system_modules) {
    SCOPED_TRACE(name);
    // Held across the check, so that the module stays whether or not the program imports it.
    HMODULE held = LoadLibraryA(name);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(GetModuleHandleA(name), held);
    HMODULE again = LoadLibraryA(name);
    EXPECT_EQ(again, held);
#ifndef _WIN32
    EXPECT_EQ(veneer::headless::testing::module_references(held), 2u);
#endif
    EXPECT_TRUE(FreeLibrary(again));
    EXPECT_EQ(GetModuleHandleA(name), held);
    EXPECT_TRUE(FreeLibrary(held));
  }
  EXPECT_NE(LoadLibraryA("KERNEL32"), nullptr) << "the name's case and a missing extension do not matter";
  FreeLibrary(GetModuleHandleA("kernel32.dll"));
}

TEST(ModuleTable, BadNamesAreNotFound) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("no-such-module.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(nullptr, "CreateFileA"), nullptr) << "a null module is the program, not its libraries";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(kernel, "NoSuchEntry"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(kernel, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

struct ModuleEntries {
  const char* module;
  std::vector<const char*> names;
};

// The entry points this platform offers, by the module Win32 puts them in.
const ModuleEntries tables[] = {
    {"kernel32.dll",
     {"GetLastError",
      "SetLastError",
      "LoadLibraryA",
      "FreeLibrary",
      "GetModuleHandleA",
      "GetProcAddress",
      "GetModuleFileNameA",
      "CloseHandle",
      "GlobalAlloc",
      "GlobalFree",
      "GlobalLock",
      "GlobalUnlock",
      "GlobalSize",
      "CreateFileA",
      "ReadFile",
      "WriteFile",
      "GetFileSize",
      "GetFileSizeEx",
      "GetFileType",
      "FlushFileBuffers",
      "DeleteFileA",
      "MoveFileExA",
      "GetFileAttributesA",
      "GetCurrentProcessId",
      "GetCurrentThreadId",
      "GetCurrentProcess",
      "OpenProcess",
      "IsWow64Process",
      "VirtualAlloc",
      "VirtualFree",
      "VirtualProtect",
      "VirtualAllocEx",
      "VirtualFreeEx",
      "VirtualProtectEx",
      "ReadProcessMemory",
      "WriteProcessMemory",
      "SetProcessWorkingSetSize",
      "K32GetProcessMemoryInfo"}},
    {"psapi.dll", {"GetProcessMemoryInfo"}},
    {"user32.dll",
     {"RegisterClassA",
      "CreateWindowExA",
      "DestroyWindow",
      "SendMessageA",
      "SetWindowPos",
      "FlashWindowEx",
      "OpenClipboard",
      "CloseClipboard",
      "EmptyClipboard",
      "SetClipboardData",
      "GetClipboardData",
      "IsClipboardFormatAvailable",
      "CountClipboardFormats",
      "GetOpenClipboardWindow",
      "GetClipboardOwner",
      "GetDC",
      "ReleaseDC",
      "DrawTextA",
      "SetRect",
      "CopyRect",
      "SetRectEmpty",
      "IsRectEmpty",
      "EqualRect",
      "PtInRect",
      "OffsetRect",
      "InflateRect",
      "IntersectRect",
      "UnionRect",
      "SubtractRect"}},
    {"gdi32.dll",
     {"CreateBitmap",
      "CreateCompatibleBitmap",
      "CreateDIBSection",
      "GetBitmapBits",
      "SetBitmapBits",
      "GetDIBits",
      "SetDIBits",
      "GetObjectA",
      "GetObjectType",
      "DeleteObject",
      "GetStockObject",
      "SelectObject",
      "GetCurrentObject",
      "GdiFlush",
      "CreatePen",
      "CreateSolidBrush",
      "CreateFontIndirectA",
      "CreateFontA",
      "CreateCompatibleDC",
      "DeleteDC",
      "GetDeviceCaps",
      "SetBkColor",
      "GetBkColor",
      "SetTextColor",
      "GetTextColor",
      "SetBkMode",
      "GetBkMode",
      "SetStretchBltMode",
      "GetStretchBltMode",
      "MoveToEx",
      "GetCurrentPositionEx",
      "GetPixel",
      "SetPixel",
      "LineTo",
      "PatBlt",
      "BitBlt",
      "StretchBlt",
      "CreateRectRgn",
      "CombineRgn",
      "ExtCreateRegion",
      "GetRegionData",
      "GetRgnBox",
      "EqualRgn",
      "PtInRegion",
      "GetTextExtentPoint32A",
      "GetTextFaceA",
      "GetTextMetricsA",
      "TextOutA",
      "CreateRectRgnIndirect",
      "SetRectRgn",
      "OffsetRgn",
      "RectInRegion"}},
    {"msimg32.dll", {"GradientFill"}},
    {"shell32.dll", {"Shell_NotifyIconA", "Shell_NotifyIconGetRect"}},
    {"comctl32.dll", {"InitCommonControlsEx"}},
};

TEST(ModuleTable, EachModuleListsItsEntryPoints) {
  for (const ModuleEntries& table : tables) {
    HMODULE module = LoadLibraryA(table.module);
    ASSERT_NE(module, nullptr) << table.module;
    for (const char* name : table.names)
      EXPECT_NE(GetProcAddress(module, name), nullptr) << table.module << "!" << name;
    FreeLibrary(module);
  }
}

}  // namespace
