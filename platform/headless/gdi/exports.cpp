// gdi32's and msimg32's entry tables, so that a program can look an entry up by name
// (GetProcAddress). GetDC, ReleaseDC and DrawTextA live in this area but are user32's on Win32,
// so they are listed under user32.
#include "kernel/builtin_modules.h"
#include <veneer/headless/gdi.h>
#include <veneer/headless/gdi_text.h>

namespace veneer::headless {
namespace {

const BuiltinEntry entries[] = {
    {"gdi32.dll", "CreateBitmap", as_entry(CreateBitmap)},
    {"gdi32.dll", "CreateCompatibleBitmap", as_entry(CreateCompatibleBitmap)},
    {"gdi32.dll", "CreateDIBSection", as_entry(CreateDIBSection)},
    {"gdi32.dll", "GetBitmapBits", as_entry(GetBitmapBits)},
    {"gdi32.dll", "SetBitmapBits", as_entry(SetBitmapBits)},
    {"gdi32.dll", "GetDIBits", as_entry(GetDIBits)},
    {"gdi32.dll", "SetDIBits", as_entry(SetDIBits)},
    {"gdi32.dll", "GetObjectA", as_entry(GetObjectA)},
    {"gdi32.dll", "GetObjectType", as_entry(GetObjectType)},
    {"gdi32.dll", "DeleteObject", as_entry(DeleteObject)},
    {"gdi32.dll", "GetStockObject", as_entry(GetStockObject)},
    {"gdi32.dll", "SelectObject", as_entry(SelectObject)},
    {"gdi32.dll", "GetCurrentObject", as_entry(GetCurrentObject)},
    {"gdi32.dll", "GdiFlush", as_entry(GdiFlush)},
    {"gdi32.dll", "CreatePen", as_entry(CreatePen)},
    {"gdi32.dll", "CreateSolidBrush", as_entry(CreateSolidBrush)},
    {"gdi32.dll", "CreateFontIndirectA", as_entry(CreateFontIndirectA)},
    {"gdi32.dll", "CreateFontA", as_entry(CreateFontA)},
    {"gdi32.dll", "CreateCompatibleDC", as_entry(CreateCompatibleDC)},
    {"gdi32.dll", "DeleteDC", as_entry(DeleteDC)},
    {"gdi32.dll", "GetDeviceCaps", as_entry(GetDeviceCaps)},
    {"gdi32.dll", "SetBkColor", as_entry(SetBkColor)},
    {"gdi32.dll", "GetBkColor", as_entry(GetBkColor)},
    {"gdi32.dll", "SetTextColor", as_entry(SetTextColor)},
    {"gdi32.dll", "GetTextColor", as_entry(GetTextColor)},
    {"gdi32.dll", "SetBkMode", as_entry(SetBkMode)},
    {"gdi32.dll", "GetBkMode", as_entry(GetBkMode)},
    {"gdi32.dll", "SetStretchBltMode", as_entry(SetStretchBltMode)},
    {"gdi32.dll", "GetStretchBltMode", as_entry(GetStretchBltMode)},
    {"gdi32.dll", "MoveToEx", as_entry(MoveToEx)},
    {"gdi32.dll", "GetCurrentPositionEx", as_entry(GetCurrentPositionEx)},
    {"gdi32.dll", "GetPixel", as_entry(GetPixel)},
    {"gdi32.dll", "SetPixel", as_entry(SetPixel)},
    {"gdi32.dll", "LineTo", as_entry(LineTo)},
    {"gdi32.dll", "PatBlt", as_entry(PatBlt)},
    {"gdi32.dll", "BitBlt", as_entry(BitBlt)},
    {"gdi32.dll", "StretchBlt", as_entry(StretchBlt)},
    {"gdi32.dll", "CreateRectRgn", as_entry(CreateRectRgn)},
    {"gdi32.dll", "CombineRgn", as_entry(CombineRgn)},
    {"gdi32.dll", "ExtCreateRegion", as_entry(ExtCreateRegion)},
    {"gdi32.dll", "GetRegionData", as_entry(GetRegionData)},
    {"gdi32.dll", "GetRgnBox", as_entry(GetRgnBox)},
    {"gdi32.dll", "EqualRgn", as_entry(EqualRgn)},
    {"gdi32.dll", "PtInRegion", as_entry(PtInRegion)},
    {"gdi32.dll", "CreateRectRgnIndirect", as_entry(CreateRectRgnIndirect)},
    {"gdi32.dll", "SetRectRgn", as_entry(SetRectRgn)},
    {"gdi32.dll", "OffsetRgn", as_entry(OffsetRgn)},
    {"gdi32.dll", "RectInRegion", as_entry(RectInRegion)},
    {"gdi32.dll", "GetTextExtentPoint32A", as_entry(GetTextExtentPoint32A)},
    {"gdi32.dll", "GetTextFaceA", as_entry(GetTextFaceA)},
    {"gdi32.dll", "GetTextMetricsA", as_entry(GetTextMetricsA)},
    {"gdi32.dll", "TextOutA", as_entry(TextOutA)},
    {"msimg32.dll", "GradientFill", as_entry(GradientFill)},
    {"user32.dll", "GetDC", as_entry(GetDC)},
    {"user32.dll", "ReleaseDC", as_entry(ReleaseDC)},
    {"user32.dll", "DrawTextA", as_entry(DrawTextA)},
};

const bool registered = register_builtin_entries(entries);

}  // namespace
}  // namespace veneer::headless
