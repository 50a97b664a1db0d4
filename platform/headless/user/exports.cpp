// user32's entry table, so that a program can look an entry up by name (GetProcAddress) and a
// test can take one away to play an older platform.
#include "kernel/builtin_modules.h"
#include <veneer/headless/clipboard.h>
#include <veneer/headless/user.h>

namespace veneer::headless {
namespace {

const BuiltinEntry entries[] = {
    {"user32.dll", "RegisterClassA", as_entry(RegisterClassA)},
    {"user32.dll", "RegisterClassExA", as_entry(RegisterClassExA)},
    {"user32.dll", "UnregisterClassA", as_entry(UnregisterClassA)},
    {"user32.dll", "GetClassNameA", as_entry(GetClassNameA)},
    {"user32.dll", "CreateWindowExA", as_entry(CreateWindowExA)},
    {"user32.dll", "DestroyWindow", as_entry(DestroyWindow)},
    {"user32.dll", "IsWindow", as_entry(IsWindow)},
    {"user32.dll", "IsChild", as_entry(IsChild)},
    {"user32.dll", "GetParent", as_entry(GetParent)},
    {"user32.dll", "GetWindow", as_entry(GetWindow)},
    {"user32.dll", "GetTopWindow", as_entry(GetTopWindow)},
    {"user32.dll", "GetDesktopWindow", as_entry(GetDesktopWindow)},
    {"user32.dll", "SendMessageA", as_entry(SendMessageA)},
    {"user32.dll", "DefWindowProcA", as_entry(DefWindowProcA)},
    {"user32.dll", "CallWindowProcA", as_entry(CallWindowProcA)},
    {"user32.dll", "SetWindowTextA", as_entry(SetWindowTextA)},
    {"user32.dll", "GetWindowTextA", as_entry(GetWindowTextA)},
    {"user32.dll", "GetWindowLongA", as_entry(GetWindowLongA)},
    {"user32.dll", "SetWindowLongA", as_entry(SetWindowLongA)},
    {"user32.dll", "GetWindowLongPtrA", as_entry(GetWindowLongPtrA)},
    {"user32.dll", "SetWindowLongPtrA", as_entry(SetWindowLongPtrA)},
    {"user32.dll", "GetWindowThreadProcessId", as_entry(GetWindowThreadProcessId)},
    {"user32.dll", "FindWindowA", as_entry(FindWindowA)},
    {"user32.dll", "FindWindowExA", as_entry(FindWindowExA)},
    {"user32.dll", "ShowWindow", as_entry(ShowWindow)},
    {"user32.dll", "IsWindowVisible", as_entry(IsWindowVisible)},
    {"user32.dll", "IsIconic", as_entry(IsIconic)},
    {"user32.dll", "IsZoomed", as_entry(IsZoomed)},
    {"user32.dll", "GetForegroundWindow", as_entry(GetForegroundWindow)},
    {"user32.dll", "SetForegroundWindow", as_entry(SetForegroundWindow)},
    {"user32.dll", "AttachThreadInput", as_entry(AttachThreadInput)},
    {"user32.dll", "GetWindowRect", as_entry(GetWindowRect)},
    {"user32.dll", "GetClientRect", as_entry(GetClientRect)},
    {"user32.dll", "ScreenToClient", as_entry(ScreenToClient)},
    {"user32.dll", "ClientToScreen", as_entry(ClientToScreen)},
    {"user32.dll", "MapWindowPoints", as_entry(MapWindowPoints)},
    {"user32.dll", "MoveWindow", as_entry(MoveWindow)},
    {"user32.dll", "SetWindowPos", as_entry(SetWindowPos)},
    {"user32.dll", "AdjustWindowRectEx", as_entry(AdjustWindowRectEx)},
    {"user32.dll", "RedrawWindow", as_entry(RedrawWindow)},
    {"user32.dll", "SystemParametersInfoA", as_entry(SystemParametersInfoA)},
    {"user32.dll", "GetSystemMetrics", as_entry(GetSystemMetrics)},
    {"user32.dll", "FlashWindowEx", as_entry(FlashWindowEx)},
    {"user32.dll", "DrawAnimatedRects", as_entry(DrawAnimatedRects)},
    {"user32.dll", "GetSysColor", as_entry(GetSysColor)},
    {"user32.dll", "GetSysColorBrush", as_entry(GetSysColorBrush)},
    {"user32.dll", "FillRect", as_entry(FillRect)},
    {"user32.dll", "FrameRect", as_entry(FrameRect)},
    {"user32.dll", "SetRect", as_entry(SetRect)},
    {"user32.dll", "CopyRect", as_entry(CopyRect)},
    {"user32.dll", "SetRectEmpty", as_entry(SetRectEmpty)},
    {"user32.dll", "IsRectEmpty", as_entry(IsRectEmpty)},
    {"user32.dll", "EqualRect", as_entry(EqualRect)},
    {"user32.dll", "PtInRect", as_entry(PtInRect)},
    {"user32.dll", "OffsetRect", as_entry(OffsetRect)},
    {"user32.dll", "InflateRect", as_entry(InflateRect)},
    {"user32.dll", "IntersectRect", as_entry(IntersectRect)},
    {"user32.dll", "UnionRect", as_entry(UnionRect)},
    {"user32.dll", "SubtractRect", as_entry(SubtractRect)},
    {"user32.dll", "OpenClipboard", as_entry(OpenClipboard)},
    {"user32.dll", "CloseClipboard", as_entry(CloseClipboard)},
    {"user32.dll", "EmptyClipboard", as_entry(EmptyClipboard)},
    {"user32.dll", "SetClipboardData", as_entry(SetClipboardData)},
    {"user32.dll", "GetClipboardData", as_entry(GetClipboardData)},
    {"user32.dll", "IsClipboardFormatAvailable", as_entry(IsClipboardFormatAvailable)},
    {"user32.dll", "CountClipboardFormats", as_entry(CountClipboardFormats)},
    {"user32.dll", "GetOpenClipboardWindow", as_entry(GetOpenClipboardWindow)},
    {"user32.dll", "GetClipboardOwner", as_entry(GetClipboardOwner)},
};

const bool registered = register_builtin_entries(entries);

}  // namespace
}  // namespace veneer::headless
