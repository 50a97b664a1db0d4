// Top-down DIB sections for the demo's drawing surfaces.
#pragma once

#include <veneer/framework/win32_api.h>

namespace demo {

// A top-down DIB section of the given depth; bits points at its first row. Null on failure.
inline HBITMAP top_down_section(int width, int height, int bits_per_pixel, void*& bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bits_per_pixel);
  info.bmiHeader.biCompression = BI_RGB;
  bits = nullptr;
  HBITMAP handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (handle && !bits) {
    DeleteObject(handle);
    handle = nullptr;
  }
  return handle;
}

}  // namespace demo
