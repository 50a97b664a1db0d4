// Measurements, run by hand (--gtest_also_run_disabled_tests): what the drawing functions
// cost against the plainer ways of doing the same work. Each prints the fastest of several
// runs, since the machine may be busy; each also checks that both ways agree.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "include/veneer/veneer.h"
#include "tests/graphics/gdi_fixtures.h"

namespace veneer::test {
namespace {

template <class Work>
double fastest_ms(int runs, Work work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

TEST(DrawingMeasurements, DISABLED_TransparentBlockOfALargeSkin) {
  // A 64 x 64 block of a 1024 x 1024 skin: a colour copy of the block against a colour copy
  // of the whole skin (as the function did before).
  CBitmap skin;
  make_dib32(skin, 1024, 1024, [](int x, int y) { return (x * y) % 7 == 0 ? kKey : RGB(x & 255, y & 255, 3); });
  Canvas block_copy(64, 64), whole_copy(64, 64);
  const HBITMAP handle = static_cast<HBITMAP>(skin.m_hObject);
  const double ours =
      fastest_ms(20, [&] { AfxDrawTransBitmap(&block_copy.dc(), &skin, CPoint(500, 300), CRect(0, 0, 64, 64), kKey); });
  const double theirs = fastest_ms(20, [&] {
    HDC target = whole_copy.dc().m_hDC;
    HDC image = CreateCompatibleDC(target), src = CreateCompatibleDC(target), mask = CreateCompatibleDC(target);
    HBITMAP mask_bitmap = CreateBitmap(64, 64, 1, 1, nullptr), copy = CreateCompatibleBitmap(target, 1024, 1024);
    HGDIOBJ a = SelectObject(src, handle), b = SelectObject(mask, mask_bitmap), c = SelectObject(image, copy);
    const COLORREF bk = SetBkColor(target, RGB(255, 255, 255)), text = SetTextColor(target, 0);
    BitBlt(image, 0, 0, 1024, 1024, src, 0, 0, SRCCOPY);
    SetBkColor(image, kKey);
    BitBlt(mask, 0, 0, 64, 64, image, 500, 300, SRCCOPY);
    SetBkColor(image, 0);
    SetTextColor(image, RGB(255, 255, 255));
    BitBlt(image, 500, 300, 64, 64, mask, 0, 0, SRCAND);
    BitBlt(target, 0, 0, 64, 64, mask, 0, 0, SRCAND);
    BitBlt(target, 0, 0, 64, 64, image, 500, 300, SRCPAINT);
    SetBkColor(target, bk);
    SetTextColor(target, text);
    SelectObject(mask, b);
    SelectObject(image, c);
    SelectObject(src, a);
    DeleteObject(mask_bitmap);
    DeleteObject(copy);
    DeleteDC(src);
    DeleteDC(mask);
    DeleteDC(image);
  });
  EXPECT_EQ(block_copy.pixels(), whole_copy.pixels());
  std::printf("transparent 64x64 of 1024x1024: block copy %.3f ms, whole copy %.3f ms\n", ours, theirs);
}

TEST(DrawingMeasurements, DISABLED_GrayConversionIntegerAgainstDouble) {
  // The conversion's inner loop over 16 million 24-bit pixels, in integers (as the library
  // does it) and with the double weights, each term truncated.
  std::vector<BYTE> pixels(static_cast<std::size_t>(4096) * 4096 * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<BYTE>(i * 2654435761u >> 13);
  std::vector<BYTE> a = pixels, b = pixels;
  const double integer = fastest_ms(3, [&] {
    a = pixels;
    for (std::size_t i = 0; i < a.size(); i += 3)
      a[i] = a[i + 1] = a[i + 2] = static_cast<BYTE>(a[i] * 114u / 1000 + a[i + 1] * 587u / 1000 + a[i + 2] * 299u / 1000);
  });
  const double floating = fastest_ms(3, [&] {
    b = pixels;
    for (std::size_t i = 0; i < b.size(); i += 3)
      b[i] = b[i + 1] = b[i + 2] = static_cast<BYTE>(static_cast<int>(b[i] * 0.114) + static_cast<int>(b[i + 1] * 0.587) +
                                                     static_cast<int>(b[i + 2] * 0.299));
  });
  std::vector<BYTE> c = pixels;
  BYTE tb[256], tg[256], tr[256];
  for (int v = 0; v < 256; ++v) {
    tb[v] = static_cast<BYTE>(v * 114 / 1000);
    tg[v] = static_cast<BYTE>(v * 587 / 1000);
    tr[v] = static_cast<BYTE>(v * 299 / 1000);
  }
  const double table = fastest_ms(3, [&] {
    c = pixels;
    for (std::size_t i = 0; i < c.size(); i += 3) c[i] = c[i + 1] = c[i + 2] = static_cast<BYTE>(tb[c[i]] + tg[c[i + 1]] + tr[c[i + 2]]);
  });
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, c);
  std::printf("table loop %.1f ms\n", table);
  CBitmap bitmap;
  make_ddb(bitmap, 4096, 4096, 24, pixels);
  const double call = fastest_ms(3, [&] { AfxConvertToGray24(&bitmap); });
  std::printf("gray 4096x4096x24: integer loop %.1f ms, double loop %.1f ms, whole call %.1f ms\n", integer, floating,
              call);
}

}  // namespace
}  // namespace veneer::test
