// StretchDIBits: a blit from bits in the caller's memory, described by a DIB header.
#include <cstdlib>
#include <cstring>

#include "gdi/objects.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;
using namespace veneer::headless::gdi;

extern "C" {

int WINAPI StretchDIBits(HDC dc, int x, int y, int width, int height, int src_x, int src_y, int src_width,
                         int src_height, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  std::lock_guard lock(platform_lock());
  if (!find_context(dc) || !bits || !info || src_width == 0 || src_height == 0) return 0;
  // The bits are taken into a DIB section of the same header, which checks the header as
  // CreateDIBSection does, and drawn from there as StretchBlt draws.
  void* copy = nullptr;
  HBITMAP section = CreateDIBSection(dc, info, usage, &copy, nullptr, 0);
  if (!section) return 0;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const long long rows = std::llabs(static_cast<long long>(h.biHeight));
  const long long row_bytes = (static_cast<long long>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
  std::memcpy(copy, bits, static_cast<std::size_t>(row_bytes * rows));
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = source ? SelectObject(source, section) : nullptr;
  // The source rectangle's rows count from the bottom of the image, whichever way its rows are
  // stored; the section's context counts them from the top.
  const long long top = rows - src_y - src_height;
  const bool drawn =
      old && StretchBlt(dc, x, y, width, height, source, src_x, static_cast<int>(top), src_width, src_height, rop);
  if (old) SelectObject(source, old);
  if (source) DeleteDC(source);
  DeleteObject(section);
  return drawn ? static_cast<int>(rows) : 0;
}

}  // extern "C"
