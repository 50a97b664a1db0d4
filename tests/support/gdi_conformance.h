// Helpers of the GDI conformance tests: they set up through Win32 calls only, so the same
// tests run against real GDI (Wine) and the headless GDI.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/support/canvas.h"
#include <veneer/framework/win32_api.h>

namespace veneer::test::gdi {

using veneer::test::Canvas;

// A monochrome bitmap selected into its own memory context.
struct MonoCanvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  int width = 0, height = 0;
  MonoCanvas(int w, int h) : width(w), height(h) {
    bitmap = CreateBitmap(w, h, 1, 1, nullptr);
    dc = CreateCompatibleDC(nullptr);
    previous = SelectObject(dc, bitmap);
  }
  ~MonoCanvas() {
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  MonoCanvas(const MonoCanvas&) = delete;
  MonoCanvas& operator=(const MonoCanvas&) = delete;
  int row_bytes() const { return (width + 15) / 16 * 2; }
  std::vector<std::uint8_t> bytes() {
    std::vector<std::uint8_t> b(static_cast<std::size_t>(row_bytes() * height));
    GetBitmapBits(bitmap, static_cast<LONG>(b.size()), b.data());
    return b;
  }
  void set(const std::vector<std::uint8_t>& b) { SetBitmapBits(bitmap, static_cast<DWORD>(b.size()), b.data()); }
  bool bit(int x, int y) {
    auto b = bytes();
    return (b[static_cast<std::size_t>(y * row_bytes() + x / 8)] >> (7 - x % 8)) & 1;
  }
};

// The operation's output for pattern, source and destination words, from its truth table.
inline std::uint32_t rop3(unsigned index, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t r = 0;
  for (int bit = 0; bit < 32; ++bit) {
    unsigned k = ((p >> bit & 1) << 2) | ((s >> bit & 1) << 1) | (d >> bit & 1);
    r |= ((index >> k) & 1u) << bit;
  }
  return r;
}

inline DWORD rop_code(unsigned index) {
  // Win32 reads only the index byte; the low word is the operation's encoding.
  return static_cast<DWORD>(index) << 16;
}

}  // namespace veneer::test::gdi
