// Measurements, run by hand (--gtest_also_run_disabled_tests): what the drawing functions
// cost against the plainer ways of doing the same work. Each prints the fastest of several
// runs, since the machine may be busy; each also checks that both ways agree.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "tests/support/drawing_fixtures.h"
#include <veneer/veneer.h>

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
  Canvas block_copy(64, 64, kBackground), whole_copy(64, 64, kBackground);
  const HBITMAP handle = static_cast<HBITMAP>(skin.m_hObject);
  const double ours = fastest_ms(
      20, [&] { AfxDrawTransBitmap(&block_copy.cdc(), &skin, CPoint(500, 300), CRect(0, 0, 64, 64), kKey); });
  const double theirs = fastest_ms(
      20, [&] { whole_copy_trans(whole_copy.cdc().m_hDC, handle, CPoint(500, 300), CRect(0, 0, 64, 64), kKey); });
  EXPECT_EQ(block_copy.colors(), whole_copy.colors());
  std::printf("transparent 64x64 of 1024x1024: block copy %.3f ms, whole copy %.3f ms\n", ours, theirs);
}

TEST(DrawingMeasurements, DISABLED_GrayConversionIntegerAgainstDouble) {
  // The conversion's inner loop over 16 million 24-bit pixels: terms from tables (as the
  // library does it) and the double products computed per pixel.
  std::vector<BYTE> pixels(static_cast<std::size_t>(4096) * 4096 * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<BYTE>(i * 2654435761u >> 13);
  std::vector<BYTE> a = pixels, b = pixels;
  BYTE blue[256], green[256], red[256];
  for (int v = 0; v < 256; ++v) {
    blue[v] = static_cast<BYTE>(static_cast<int>(v * 0.114));
    green[v] = static_cast<BYTE>(static_cast<int>(v * 0.587));
    red[v] = static_cast<BYTE>(static_cast<int>(v * 0.299));
  }
  const double table = fastest_ms(3, [&] {
    a = pixels;
    for (std::size_t i = 0; i < a.size(); i += 3)
      a[i] = a[i + 1] = a[i + 2] = static_cast<BYTE>(blue[a[i]] + green[a[i + 1]] + red[a[i + 2]]);
  });
  const double floating = fastest_ms(3, [&] {
    b = pixels;
    for (std::size_t i = 0; i < b.size(); i += 3)
      b[i] = b[i + 1] = b[i + 2] = static_cast<BYTE>(
          static_cast<int>(b[i] * 0.114) + static_cast<int>(b[i + 1] * 0.587) + static_cast<int>(b[i + 2] * 0.299));
  });
  EXPECT_EQ(a, b);
  CBitmap bitmap;
  make_ddb(bitmap, 4096, 4096, 24, pixels);
  const double call = fastest_ms(3, [&] { AfxConvertToGray24(&bitmap); });
  std::printf("gray 4096x4096x24: table loop %.1f ms, double loop %.1f ms, whole call %.1f ms\n", table, floating,
              call);
}

}  // namespace
}  // namespace veneer::test
