// The skin region against the per-pixel reference: a random bitmap (depth, size, top-down or
// bottom-up, pixels drawn from a small palette so that the key colour is common) becomes a
// region, which must hold exactly the bitmap's pixels that do not read as RGB(255, 0, 255).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/dib_section.h"
#include <veneer/framework/afx.h>
#include <veneer/veneer.h>

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  veneer::fuzz::Input in(data, size);
  static const int depths[] = {1, 24, 32};
  const int depth = depths[in.byte() % 3];
  const int width = in.byte() % 70;  // 0: the empty bitmap, which must fail
  const int height = in.byte() % 40;
  const std::uint8_t layout = in.byte();
  const bool bottom_up = layout & 1;
  const bool device_bitmap = layout & 2;  // a device-dependent bitmap instead of a DIB section

  // Monochrome DIBs get the colours black and white, so that a 1-bit bitmap reads the same
  // through every path.
  const auto order = bottom_up ? veneer::test::RowOrder::BottomUp : veneer::test::RowOrder::TopDown;

  // The pixels, as a DIB row of the depth (padded to 4 bytes) from the top row down.
  const std::size_t row = veneer::test::dib_stride(width, depth);
  std::vector<std::uint8_t> pixels(row * static_cast<std::size_t>(height));
  // Pixels from a palette of the key, near-keys and anything; the fourth byte random.
  static const std::uint32_t palette[] = {0x00FF00FF, 0xFFFF00FF, 0x00FE00FF, 0x00FF01FF, 0x00FF00FE, 0};
  for (int y = 0; y < height; ++y) {
    std::uint8_t* r = pixels.data() + row * static_cast<std::size_t>(y);
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

  HBITMAP handle = nullptr;
  if (device_bitmap) {
    handle = CreateBitmap(width, height, 1, static_cast<UINT>(depth), nullptr);
    // Without a width or a height the platform hands out its shared 1x1 bitmap: not to be
    // written.
    if (handle && width > 0 && height > 0) {
      HDC screen = GetDC(nullptr);
      const veneer::test::DibInfo top_down = veneer::test::dib_info(width, height, depth);
      // A monochrome device bitmap takes its rows as they are (its rows are padded to 2 bytes).
      if (depth == 1) {
        std::vector<std::uint8_t> ddb((static_cast<std::size_t>(width) + 15) / 16 * 2 *
                                      static_cast<std::size_t>(height));
        const std::size_t ddb_row = (static_cast<std::size_t>(width) + 15) / 16 * 2;
        for (int y = 0; y < height; ++y)
          std::memcpy(ddb.data() + ddb_row * static_cast<std::size_t>(y),
                      pixels.data() + row * static_cast<std::size_t>(y), ddb_row);
        SetBitmapBits(handle, static_cast<DWORD>(ddb.size()), ddb.data());
      } else {
        SetDIBits(screen, handle, 0, static_cast<UINT>(height), pixels.data(), top_down.info(), DIB_RGB_COLORS);
      }
      ReleaseDC(nullptr, screen);
    }
  } else {
    void* bits = nullptr;
    handle = veneer::test::make_dib_section(width, height, depth, &bits, order);
    if (handle) {
      auto* p = static_cast<std::uint8_t*>(bits);
      for (int y = 0; y < height; ++y) {
        const int stored = bottom_up ? height - 1 - y : y;
        std::memcpy(p + row * static_cast<std::size_t>(stored), pixels.data() + row * static_cast<std::size_t>(y), row);
      }
    }
  }
  CBitmap bitmap;
  if (handle) bitmap.Attach(handle);

  CRgn region;
  region.CreateRectRgn(1, 1, 2, 2);
  HGDIOBJ before = region.GetSafeHandle();
  const int made = AfxCreateSkinRegion(&bitmap, &region);
  if (!handle) {
    require(made == 0 && region.GetSafeHandle() == before);
    return 0;
  }
  // The bitmap as made: a device bitmap asked for with no width or height is the platform's
  // 1x1 monochrome one.
  BITMAP made_as{};
  require(GetObjectA(handle, sizeof made_as, &made_as) == sizeof made_as);
  const int real_width = made_as.bmWidth, real_height = made_as.bmHeight;
  require(made == 1);
  HRGN result = static_cast<HRGN>(region.GetSafeHandle());
  require(result != before && GetObjectType(before) == 0);  // the old region was deleted
  RECT box{};
  GetRgnBox(result, &box);
  require(box.left >= 0 && box.top >= 0 && box.right <= real_width && box.bottom <= real_height);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, handle);
  require(old != nullptr);
  for (int y = 0; y < real_height; ++y)
    for (int x = 0; x < real_width; ++x) require((GetPixel(dc, x, y) != kKey) == (PtInRegion(result, x, y) != 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  return 0;
}
