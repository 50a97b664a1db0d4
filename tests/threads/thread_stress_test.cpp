// Threads drawing at once, as Win32 lets them: each into its own device context, all reading
// one shared bitmap, while others create, select and delete objects and build regions. Run in
// the suite (natively and under Wine) and on its own under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/dib_section.h"
#include <veneer/framework/win32_api.h>

namespace {

using veneer::test::Canvas;
using veneer::test::make_dib_section;
using veneer::test::RowOrder;

constexpr int kShared = 256;
constexpr int kOwn = 128;
constexpr int kRounds = 150;

std::uint32_t shared_pixel(int x, int y) { return static_cast<std::uint32_t>((x * 7 + y * 13) & 0xff) << 8 | 0x40; }

// The shared bitmap as every thread reads it: its bits with a top-down header. (Win32 lets one
// thread at a time use a device context, so the threads do not share one.)
struct Shared {
  const void* bits;
  BITMAPINFO info;
  // Draws the shared pixels from (x, y), top-down coordinates, at (dx, dy) of the target.
  BOOL draw(HDC dc, int dx, int dy, int width, int height, int x, int y) const {
    // StretchDIBits counts source rows from the bottom of the image.
    return StretchDIBits(dc, dx, dy, width, height, x, kShared - y - height, width, height, bits, &info, DIB_RGB_COLORS,
                         SRCCOPY);
  }
};

// One drawing thread: copies from the shared bitmap, stretches and fills within its own target,
// makes and drops objects and regions, and ends with a known copy whose pixels it checks.
void draw(const Shared& shared, int seed, std::atomic<int>& wrong) {
  Canvas own(kOwn, kOwn);
  unsigned state = static_cast<unsigned>(seed) * 2654435761u + 1;
  auto next = [&](int bound) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<unsigned>(bound));
  };
  for (int round = 0; round < kRounds; ++round) {
    shared.draw(own.dc, next(32), next(32), 96, 96, next(kShared - 96), next(kShared - 96));
    StretchBlt(own.dc, 0, 0, kOwn, kOwn / 2, own.dc, 0, 0, kOwn / 2, kOwn / 4, SRCCOPY);
    HBRUSH brush = CreateSolidBrush(RGB(next(256), next(256), next(256)));
    HGDIOBJ old_brush = SelectObject(own.dc, brush);
    PatBlt(own.dc, next(kOwn), next(kOwn), 16, 16, PATINVERT);
    SelectObject(own.dc, old_brush);
    DeleteObject(brush);
    HRGN a = CreateRectRgn(next(64), next(64), 64 + next(64), 64 + next(64));
    HRGN b = CreateEllipticRgn(0, 0, 20 + next(100), 20 + next(100));
    CombineRgn(a, a, b, RGN_XOR);
    SelectClipRgn(own.dc, a);
    PatBlt(own.dc, 0, 0, kOwn, kOwn, DSTINVERT);
    SelectClipRgn(own.dc, nullptr);
    DeleteObject(a);
    DeleteObject(b);
    HBITMAP scratch = CreateCompatibleBitmap(own.dc, 8 + next(32), 8 + next(32));
    HDC scratch_dc = CreateCompatibleDC(own.dc);
    HGDIOBJ old_scratch = SelectObject(scratch_dc, scratch);
    BitBlt(scratch_dc, 0, 0, 8, 8, own.dc, next(kOwn - 8), next(kOwn - 8), SRCCOPY);
    SelectObject(scratch_dc, old_scratch);
    DeleteDC(scratch_dc);
    DeleteObject(scratch);
  }
  const int sx = seed % 64, sy = (seed * 3) % 64;
  if (!shared.draw(own.dc, 0, 0, kOwn, kOwn, sx, sy)) ++wrong;
  for (int y = 0; y < kOwn; y += 9)
    for (int x = 0; x < kOwn; x += 7)
      if ((own.at(x, y) & 0xffffff) != shared_pixel(sx + x, sy + y)) ++wrong;
}

TEST(ThreadStress, ThreadsDrawCreateAndDeleteAtOnce) {
  void* bits = nullptr;
  HBITMAP shared_bitmap = make_dib_section(kShared, kShared, 32, &bits, RowOrder::TopDown);
  ASSERT_NE(shared_bitmap, nullptr);
  for (int y = 0; y < kShared; ++y)
    for (int x = 0; x < kShared; ++x) static_cast<std::uint32_t*>(bits)[y * kShared + x] = shared_pixel(x, y);
  Shared shared{bits, {}};
  shared.info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  shared.info.bmiHeader.biWidth = kShared;
  shared.info.bmiHeader.biHeight = -kShared;
  shared.info.bmiHeader.biPlanes = 1;
  shared.info.bmiHeader.biBitCount = 32;

  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(draw, std::cref(shared), t + 1, std::ref(wrong));
  // Meanwhile a bitmap is read from a context and swapped out and deleted under the readers:
  // a blit in flight keeps the pixels it started with.
  {
    Canvas source(64, 64);
    Canvas reader(64, 64);
    std::atomic<bool> done{false};
    std::thread blitter([&] {
      while (!done) BitBlt(reader.dc, 0, 0, 64, 64, source.dc, 0, 0, SRCCOPY);
    });
    for (int i = 0; i < 50; ++i) {
      HBITMAP fresh = CreateCompatibleBitmap(source.dc, 64, 64);
      HGDIOBJ previous = SelectObject(source.dc, fresh);
      if (previous != source.bitmap) DeleteObject(previous);
    }
    done = true;
    blitter.join();
    HGDIOBJ last = SelectObject(source.dc, source.bitmap);
    if (last != source.bitmap) DeleteObject(last);
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
  DeleteObject(shared_bitmap);
}

}  // namespace
