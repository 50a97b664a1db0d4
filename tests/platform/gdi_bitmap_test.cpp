// Conformance of bitmaps: records and row lengths, bit transfers, compatible formats and the
// one-context rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/support/gdi_conformance.h"
#include "tests/support/leak_guard.h"

namespace {

using namespace veneer::test::gdi;
using veneer::test::LeakGuard;

BITMAP record(HBITMAP b) {
  BITMAP r{};
  EXPECT_EQ(GetObjectA(b, sizeof r, &r), static_cast<int>(sizeof r));
  return r;
}

TEST(GdiBitmap, RowLengthsAsWin32HasThem) {
  LeakGuard guard;
  struct Case {
    int width, bpp;
    LONG row;
  } cases[] = {{3, 24, 10}, {3, 32, 12}, {3, 1, 2}, {17, 1, 4}, {16, 1, 2}, {1, 24, 4}};
  for (const Case& c : cases) {
    HBITMAP b = CreateBitmap(c.width, 2, 1, c.bpp, nullptr);
    ASSERT_TRUE(b);
    BITMAP r = record(b);
    EXPECT_EQ(r.bmType, 0);
    EXPECT_EQ(r.bmWidth, c.width);
    EXPECT_EQ(r.bmHeight, 2);
    EXPECT_EQ(r.bmWidthBytes, c.row) << c.width << "x" << c.bpp;
    EXPECT_EQ(r.bmPlanes, 1);
    EXPECT_EQ(r.bmBitsPixel, c.bpp);
    EXPECT_EQ(r.bmBits, nullptr);
    unsigned char buf[64];
    EXPECT_EQ(GetBitmapBits(b, sizeof buf, buf), 2 * c.row);
    EXPECT_EQ(GetBitmapBits(b, 0, nullptr), 2 * c.row);  // without a buffer: the size
    DeleteObject(b);
  }
  {
    // DIB sections have 4-byte rows and show their bits.
    Canvas dib(3, 2, 24, true);
    BITMAP r = record(dib.bitmap);
    EXPECT_EQ(r.bmWidthBytes, 12);
    EXPECT_EQ(r.bmBits, dib.bits);
    DIBSECTION ds{};
    EXPECT_EQ(GetObjectA(dib.bitmap, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBmih.biHeight, 2);
    EXPECT_EQ(ds.dsBmih.biBitCount, 24);
    Canvas top_down(3, 2, 24, false);
    DIBSECTION tds{};
    EXPECT_EQ(GetObjectA(top_down.bitmap, sizeof tds, &tds), static_cast<int>(sizeof tds));
    EXPECT_EQ(tds.dsBmih.biHeight, 2) << "a top-down section reports a positive height too";
    EXPECT_EQ(ds.dsBmih.biSizeImage, 24u);
    // Record sizes: no buffer gives the size, a short buffer nothing.
    EXPECT_EQ(GetObjectA(dib.bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    unsigned char small[16];
    EXPECT_EQ(GetObjectA(dib.bitmap, 10, small), 0);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiBitmap, CreationLimits) {
  LeakGuard guard;
  EXPECT_EQ(CreateBitmap(3, 2, 1, 33, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(3, 2, 2, 24, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(100000, 100000, 1, 32, nullptr), nullptr);
  // No area: Win32's 1x1 monochrome stock bitmap, which deleting leaves in place.
  HBITMAP empty = CreateBitmap(0, 5, 1, 24, nullptr);
  ASSERT_TRUE(empty);
  BITMAP r = record(empty);
  EXPECT_EQ(r.bmWidth, 1);
  EXPECT_EQ(r.bmBitsPixel, 1);
  EXPECT_TRUE(DeleteObject(empty));
  // Initial bits, rows of the device-dependent length.
  DWORD init[2] = {0x11223344, 0x55667788}, got[2] = {};
  HBITMAP b = CreateBitmap(2, 1, 1, 32, init);
  GetBitmapBits(b, sizeof got, got);
  EXPECT_EQ(got[0], 0x11223344u);
  EXPECT_EQ(got[1], 0x55667788u);
  DeleteObject(b);
  // DIB sections: bad headers fail and leave no bits pointer behind.
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 0, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = &bi;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  bi.bmiHeader.biHeight = 2;
  bi.bmiHeader.biWidth = -4;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  bi.bmiHeader.biWidth = 100000;
  bi.bmiHeader.biHeight = 100000;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiBitmap, BitsTravelAsTopDownRowsOfTheDeviceLength) {
  Canvas dib(3, 2, 24, true);  // bottom-up: the top row is second in memory
  auto* p = static_cast<unsigned char*>(dib.bits);
  for (int i = 0; i < 24; ++i) p[i] = static_cast<unsigned char>(i);
  unsigned char buf[32];
  std::memset(buf, 0xee, sizeof buf);
  ASSERT_EQ(GetBitmapBits(dib.bitmap, sizeof buf, buf), 20);
  const int expected[22] = {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xee, 0xee};
  for (int i = 0; i < 22; ++i) EXPECT_EQ(buf[i], expected[i]) << i;
  EXPECT_EQ(GetBitmapBits(dib.bitmap, 7, buf), 7);
  for (int i = 0; i < 20; ++i) buf[i] = static_cast<unsigned char>(100 + i);
  ASSERT_EQ(SetBitmapBits(dib.bitmap, 20, buf), 20);
  const int after[24] = {110, 111, 112, 113, 114, 115, 116, 117, 118, 9,  10, 11,
                         100, 101, 102, 103, 104, 105, 106, 107, 108, 21, 22, 23};
  for (int i = 0; i < 24; ++i) EXPECT_EQ(p[i], after[i]) << i;
}

TEST(GdiBitmap, DeviceIndependentTransfers) {
  LeakGuard guard;
  {
    HDC screen = GetDC(nullptr);
    HBITMAP b = CreateBitmap(3, 2, 1, 24, nullptr);
    BITMAPINFO query{};
    query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_NE(GetDIBits(screen, b, 0, 2, nullptr, &query, DIB_RGB_COLORS), 0);
    EXPECT_EQ(query.bmiHeader.biWidth, 3);
    EXPECT_EQ(query.bmiHeader.biHeight, 2);
    EXPECT_EQ(query.bmiHeader.biBitCount, 24);
    EXPECT_EQ(query.bmiHeader.biSizeImage, 24u);
    // 32-bit bottom-up rows in, 24-bit device rows out.
    DWORD px[6] = {0x010203, 0x040506, 0x070809, 0x0a0b0c, 0x0d0e0f, 0x101112};
    BITMAPINFO b32{};
    b32.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    EXPECT_EQ(SetDIBits(screen, b, 0, 2, px, &b32, DIB_RGB_COLORS), 2);
    unsigned char raw[20] = {};
    GetBitmapBits(b, 20, raw);
    const int expected[18] = {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 3, 2, 1, 6, 5, 4, 9, 8};
    for (int i = 0; i < 18; ++i) EXPECT_EQ(raw[i], expected[i]) << i;
    DWORD out[6] = {};
    b32.bmiHeader.biHeight = -2;  // top-down
    EXPECT_EQ(GetDIBits(screen, b, 0, 2, out, &b32, DIB_RGB_COLORS), 2);
    EXPECT_EQ(out[0], 0x0a0b0cu);
    EXPECT_EQ(out[3], 0x010203u);
    b32.bmiHeader.biHeight = 2;  // scan line 1 of a bottom-up DIB is the top row
    std::memset(out, 0, sizeof out);
    EXPECT_EQ(GetDIBits(screen, b, 1, 1, out, &b32, DIB_RGB_COLORS), 1);
    EXPECT_EQ(out[0], 0x0a0b0cu);
    EXPECT_EQ(out[3], 0u);
    EXPECT_EQ(GetDIBits(screen, b, 0, 5, out, &b32, DIB_RGB_COLORS), 2);
    // A monochrome bitmap reads as black and white whatever the context's colours.
    HBITMAP mono = CreateBitmap(3, 2, 1, 1, nullptr);
    unsigned char bits[4] = {0xa0, 0, 0x40, 0};
    SetBitmapBits(mono, 4, bits);
    b32.bmiHeader.biHeight = -2;
    EXPECT_EQ(GetDIBits(screen, mono, 0, 2, out, &b32, DIB_RGB_COLORS), 2);
    const DWORD mono_expected[6] = {0xffffff, 0, 0xffffff, 0, 0xffffff, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], mono_expected[i]) << i;
    DeleteObject(mono);
    DeleteObject(b);
    ReleaseDC(nullptr, screen);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiBitmap, CompatibleBitmapsTakeTheContextsFormat) {
  LeakGuard guard;
  {
    HDC screen = GetDC(nullptr);
    HBITMAP b = CreateCompatibleBitmap(screen, 3, 2);
    EXPECT_EQ(record(b).bmBitsPixel, 32);
    EXPECT_EQ(record(b).bmBits, nullptr);
    DeleteObject(b);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
    ReleaseDC(nullptr, screen);

    HDC mem = CreateCompatibleDC(nullptr);
    b = CreateCompatibleBitmap(mem, 3, 2);  // a fresh memory context holds a monochrome bitmap
    EXPECT_EQ(record(b).bmBitsPixel, 1);
    EXPECT_EQ(record(b).bmWidthBytes, 2);
    DeleteObject(b);
    BITMAP current = record(static_cast<HBITMAP>(GetCurrentObject(mem, OBJ_BITMAP)));
    EXPECT_EQ(current.bmWidth, 1);
    EXPECT_EQ(current.bmBitsPixel, 1);
    EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 32);  // the device's depth, not the bitmap's

    Canvas dib(2, 2, 24, true);
    HGDIOBJ old = SelectObject(mem, dib.bitmap);
    EXPECT_EQ(old, nullptr);  // the bitmap is already in the canvas's own context
    SelectObject(dib.dc, dib.previous);
    old = SelectObject(mem, dib.bitmap);
    ASSERT_NE(old, nullptr);
    b = CreateCompatibleBitmap(mem, 3, 2);  // a DIB section gives a DIB section
    BITMAP r = record(b);
    EXPECT_EQ(r.bmBitsPixel, 24);
    EXPECT_EQ(r.bmWidthBytes, 12);
    EXPECT_NE(r.bmBits, nullptr);
    DeleteObject(b);
    HBITMAP ddb32 = CreateBitmap(3, 2, 1, 32, nullptr);
    SelectObject(mem, ddb32);
    b = CreateCompatibleBitmap(mem, 3, 2);
    EXPECT_EQ(record(b).bmBitsPixel, 32);
    EXPECT_EQ(record(b).bmBits, nullptr);
    DeleteObject(b);
    SelectObject(mem, old);
    SelectObject(dib.dc, dib.bitmap);
    DeleteObject(ddb32);
    DeleteDC(mem);
  }
  EXPECT_NO_LEAKS(guard);
}

// A new bitmap is black through every way of reading it, even where the memory of a bitmap
// just deleted (full of other bytes) is given to it again.
TEST(GdiBitmap, NewBitmapsReadAsZeroEverywhere) {
  LeakGuard guard;
  {
    const int w = 300, h = 200;
    const std::size_t bytes = static_cast<std::size_t>(w) * 4 * h;
    std::vector<std::uint8_t> ones(bytes, 0xa5), out(bytes, 0xee);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HDC other = CreateCompatibleDC(screen);
    for (int way = 0; way < 6; ++way) {
      // Leave freed memory full of non-zero bytes behind.
      HBITMAP used = CreateCompatibleBitmap(screen, w, h);
      ASSERT_TRUE(used);
      ASSERT_EQ(SetBitmapBits(used, static_cast<DWORD>(bytes), ones.data()), static_cast<LONG>(bytes));
      DeleteObject(used);
      BITMAPINFO bi{};
      bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      bi.bmiHeader.biWidth = w;
      bi.bmiHeader.biHeight = -h;
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      bi.bmiHeader.biCompression = BI_RGB;
      void* section_bits = nullptr;
      HBITMAP fresh = way == 5 ? CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &section_bits, nullptr, 0)
                               : CreateCompatibleBitmap(screen, w, h);
      ASSERT_TRUE(fresh);
      std::fill(out.begin(), out.end(), 0xee);
      switch (way) {
        case 0:
          ASSERT_EQ(GetBitmapBits(fresh, static_cast<LONG>(bytes), out.data()), static_cast<LONG>(bytes));
          break;
        case 1:
          ASSERT_EQ(GetDIBits(dc, fresh, 0, h, out.data(), &bi, DIB_RGB_COLORS), h);
          break;
        case 2: {
          HGDIOBJ old = SelectObject(dc, fresh);
          for (int y = 0; y < h; y += 7)
            for (int x = 0; x < w; x += 5) ASSERT_EQ(GetPixel(dc, x, y), 0u) << x << "," << y;
          std::fill(out.begin(), out.end(), 0);
          SelectObject(dc, old);
          break;
        }
        case 3: {
          // Copied into a canvas that holds other pixels, by parts and with a stretch.
          Canvas c(w, h);
          c.fill(0x123456);
          HGDIOBJ old = SelectObject(dc, fresh);
          ASSERT_TRUE(BitBlt(c.dc, 0, 0, w / 2, h, dc, 0, 0, SRCCOPY));
          ASSERT_TRUE(StretchBlt(c.dc, w / 2, 0, w - w / 2, h, dc, 0, 0, 10, 10, SRCCOPY));
          SelectObject(dc, old);
          std::memcpy(out.data(), c.row(0), bytes);
          break;
        }
        case 4: {
          // Drawn into partly, then read whole.
          HGDIOBJ old = SelectObject(dc, fresh);
          SetPixel(dc, 0, 0, RGB(0, 0, 0));
          HBITMAP copy = CreateCompatibleBitmap(screen, w, h);
          HGDIOBJ old_other = SelectObject(other, copy);
          ASSERT_TRUE(BitBlt(other, 0, 0, w, h, dc, 0, 0, SRCCOPY));
          SelectObject(other, old_other);
          SelectObject(dc, old);
          ASSERT_EQ(GetBitmapBits(copy, static_cast<LONG>(bytes), out.data()), static_cast<LONG>(bytes));
          DeleteObject(copy);
          break;
        }
        default: {
          DIBSECTION ds{};
          ASSERT_EQ(GetObjectA(fresh, sizeof ds, &ds), static_cast<int>(sizeof ds));
          ASSERT_EQ(ds.dsBm.bmBits, section_bits);
          std::memcpy(out.data(), section_bits, bytes);
          break;
        }
      }
      EXPECT_EQ(std::count(out.begin(), out.end(), 0), static_cast<std::ptrdiff_t>(bytes)) << "way " << way;
      DeleteObject(fresh);
    }
    DeleteDC(other);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(GdiBitmap, SelectedBitmapsBelongToOneContextAndOutliveDeletion) {
  LeakGuard guard;
  {
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(2, 1, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(a, bitmap);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr);
    // Deleting a selected bitmap succeeds, but it lives on in its context until let go.
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_TRUE(PatBlt(a, 0, 0, 1, 1, WHITENESS));
    EXPECT_EQ(GetPixel(a, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(SelectObject(a, old), bitmap);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_TRUE(DeleteDC(a));
    EXPECT_FALSE(DeleteDC(a));
    EXPECT_TRUE(DeleteDC(b));
  }
  EXPECT_NO_LEAKS(guard);
}

}  // namespace
