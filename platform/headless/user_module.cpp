// The entry tables of the built-in system modules for the desktop's functions, so that a
// program can look them up by name (GetProcAddress) as it would in user32, kernel32, psapi and
// shell32, and a test can take one away to play an older platform.
#include "platform/headless/builtin_modules.h"
#include "platform/headless/commctrl.h"
#include "platform/headless/kernel_process.h"
#include "platform/headless/shell.h"
#include "platform/headless/user.h"

namespace veneer::headless {
namespace {

template <typename F>
FARPROC entry(F* function) {
  // Through the generic function type, which converts to any other without complaint.
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

struct Entry {
  const char* module;
  const char* name;
  FARPROC function;
};

const Entry entries[] = {
    {"user32.dll", "RegisterClassA", entry(RegisterClassA)},
    {"user32.dll", "RegisterClassExA", entry(RegisterClassExA)},
    {"user32.dll", "UnregisterClassA", entry(UnregisterClassA)},
    {"user32.dll", "GetClassNameA", entry(GetClassNameA)},
    {"user32.dll", "CreateWindowExA", entry(CreateWindowExA)},
    {"user32.dll", "DestroyWindow", entry(DestroyWindow)},
    {"user32.dll", "IsWindow", entry(IsWindow)},
    {"user32.dll", "IsChild", entry(IsChild)},
    {"user32.dll", "GetParent", entry(GetParent)},
    {"user32.dll", "GetWindow", entry(GetWindow)},
    {"user32.dll", "GetTopWindow", entry(GetTopWindow)},
    {"user32.dll", "GetDesktopWindow", entry(GetDesktopWindow)},
    {"user32.dll", "SendMessageA", entry(SendMessageA)},
    {"user32.dll", "DefWindowProcA", entry(DefWindowProcA)},
    {"user32.dll", "CallWindowProcA", entry(CallWindowProcA)},
    {"user32.dll", "SetWindowTextA", entry(SetWindowTextA)},
    {"user32.dll", "GetWindowTextA", entry(GetWindowTextA)},
    {"user32.dll", "GetWindowLongA", entry(GetWindowLongA)},
    {"user32.dll", "SetWindowLongA", entry(SetWindowLongA)},
    {"user32.dll", "GetWindowLongPtrA", entry(GetWindowLongPtrA)},
    {"user32.dll", "SetWindowLongPtrA", entry(SetWindowLongPtrA)},
    {"user32.dll", "GetWindowThreadProcessId", entry(GetWindowThreadProcessId)},
    {"user32.dll", "FindWindowA", entry(FindWindowA)},
    {"user32.dll", "FindWindowExA", entry(FindWindowExA)},
    {"user32.dll", "ShowWindow", entry(ShowWindow)},
    {"user32.dll", "IsWindowVisible", entry(IsWindowVisible)},
    {"user32.dll", "IsIconic", entry(IsIconic)},
    {"user32.dll", "IsZoomed", entry(IsZoomed)},
    {"user32.dll", "GetForegroundWindow", entry(GetForegroundWindow)},
    {"user32.dll", "SetForegroundWindow", entry(SetForegroundWindow)},
    {"user32.dll", "AttachThreadInput", entry(AttachThreadInput)},
    {"user32.dll", "GetWindowRect", entry(GetWindowRect)},
    {"user32.dll", "GetClientRect", entry(GetClientRect)},
    {"user32.dll", "ScreenToClient", entry(ScreenToClient)},
    {"user32.dll", "ClientToScreen", entry(ClientToScreen)},
    {"user32.dll", "MapWindowPoints", entry(MapWindowPoints)},
    {"user32.dll", "MoveWindow", entry(MoveWindow)},
    {"user32.dll", "SetWindowPos", entry(SetWindowPos)},
    {"user32.dll", "AdjustWindowRectEx", entry(AdjustWindowRectEx)},
    {"user32.dll", "RedrawWindow", entry(RedrawWindow)},
    {"user32.dll", "SystemParametersInfoA", entry(SystemParametersInfoA)},
    {"user32.dll", "GetSystemMetrics", entry(GetSystemMetrics)},
    {"user32.dll", "FlashWindowEx", entry(FlashWindowEx)},
    {"user32.dll", "DrawAnimatedRects", entry(DrawAnimatedRects)},
    {"user32.dll", "SetRect", entry(SetRect)},
    {"user32.dll", "CopyRect", entry(CopyRect)},
    {"kernel32.dll", "GetCurrentProcessId", entry(GetCurrentProcessId)},
    {"kernel32.dll", "GetCurrentThreadId", entry(GetCurrentThreadId)},
    {"kernel32.dll", "GetCurrentProcess", entry(GetCurrentProcess)},
    {"kernel32.dll", "OpenProcess", entry(OpenProcess)},
    {"kernel32.dll", "IsWow64Process", entry(IsWow64Process)},
    {"kernel32.dll", "VirtualAllocEx", entry(VirtualAllocEx)},
    {"kernel32.dll", "VirtualFreeEx", entry(VirtualFreeEx)},
    {"kernel32.dll", "VirtualProtectEx", entry(VirtualProtectEx)},
    {"kernel32.dll", "ReadProcessMemory", entry(ReadProcessMemory)},
    {"kernel32.dll", "WriteProcessMemory", entry(WriteProcessMemory)},
    {"kernel32.dll", "SetProcessWorkingSetSize", entry(SetProcessWorkingSetSize)},
    {"kernel32.dll", "K32GetProcessMemoryInfo", entry(GetProcessMemoryInfo)},
    {"psapi.dll", "GetProcessMemoryInfo", entry(GetProcessMemoryInfo)},
    {"comctl32.dll", "InitCommonControlsEx", entry(InitCommonControlsEx)},
    {"shell32.dll", "Shell_NotifyIconA", entry(Shell_NotifyIconA)},
    {"shell32.dll", "Shell_NotifyIconGetRect", entry(Shell_NotifyIconGetRect)},
};

struct Registration {
  Registration() {
    for (const Entry& e : entries) register_builtin_entry(e.module, e.name, e.function);
  }
};

const Registration registration;

}  // namespace
}  // namespace veneer::headless
