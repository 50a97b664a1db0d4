// The skin region against the per-pixel reference: a random bitmap (depth, size, top-down or
// bottom-up, pixels drawn from a small palette so that the key colour is common) becomes a
// region, which must hold exactly the bitmap's pixels that do not read as RGB(255, 0, 255).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "include/veneer/veneer.h"
#include "platform/framework/afx.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

constexpr COLORREF kKey = RGB(255, 0, 255);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  veneer::fuzz::Input in(data, size);
  static const int depths[] = {1, 24, 32};
  const int depth = depths[in.byte() % 3];
  const int width = in.byte() % 70;  // 0: the empty bitmap, which must fail
  const int height = in.byte() % 40;
  const bool bottom_up = in.byte() & 1;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = bottom_up ? height : -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(depth);
  void* bits = nullptr;
  HBITMAP handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  CBitmap bitmap;
  if (handle) {
    bitmap.Attach(handle);
    const std::size_t row = (static_cast<std::size_t>(width) * depth + 31) / 32 * 4;
    auto* p = static_cast<std::uint8_t*>(bits);
    // Pixels from a palette of the key, near-keys and anything; the fourth byte random.
    static const std::uint32_t palette[] = {0x00FF00FF, 0xFFFF00FF, 0x00FE00FF, 0x00FF01FF, 0x00FF00FE, 0};
    for (int y = 0; y < height; ++y) {
      std::uint8_t* r = p + row * static_cast<std::size_t>(y);
      if (depth == 1) {
        for (std::size_t i = 0; i < row; ++i) r[i] = in.byte();
        continue;
      }
      for (int x = 0; x < width; ++x) {
        std::uint8_t pick = in.byte();
        std::uint32_t v = pick % 8 < 6 ? palette[pick % 8] : (pick * 0x01010101u) ^ 0x00A5C3E1u;
        if (pick % 8 == 5) v = in.byte() | (in.byte() << 8) | (in.byte() << 16);
        std::memcpy(r + static_cast<std::size_t>(x) * (depth / 8), &v, static_cast<std::size_t>(depth / 8));
      }
    }
  }

  CRgn region;
  region.CreateRectRgn(1, 1, 2, 2);
  HGDIOBJ before = region.GetSafeHandle();
  const int made = AfxCreateSkinRegion(&bitmap, &region);
  if (!handle || width == 0 || height == 0) {
    require(made == 0 && region.GetSafeHandle() == before);
    return 0;
  }
  require(made == 1);
  HRGN result = static_cast<HRGN>(region.GetSafeHandle());
  RECT box{};
  GetRgnBox(result, &box);
  require(box.left >= 0 && box.top >= 0 && box.right <= width && box.bottom <= height);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, handle);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) require((GetPixel(dc, x, y) != kKey) == (PtInRegion(result, x, y) != 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  return 0;
}
