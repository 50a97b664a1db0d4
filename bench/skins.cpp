#include "bench/skins.h"

#include <algorithm>
#include <cstring>

#include "tests/support/dib_section.h"

namespace veneer::bench {

namespace {

// A small integer hash: the same cell always gets the same answer on every platform.
std::uint32_t mix(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

}  // namespace

std::size_t Pixels::key_count() const {
  return static_cast<std::size_t>(std::count(data.begin(), data.end(), kKeyPixel));
}

Pixels picture(int width, int height) {
  Pixels p{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t r = static_cast<std::uint32_t>(x * 7 + y) & 0xFF;
      const std::uint32_t g = static_cast<std::uint32_t>(y * 3 + (x >> 2)) & 0xFF;
      const std::uint32_t b = mix(static_cast<std::uint32_t>(y) * 65599U + static_cast<std::uint32_t>(x)) & 0x7F;
      p.at(x, y) = (r << 16) | (g << 8) | b;  // blue below 128: never the key
    }
  return p;
}

Pixels holed_skin(int width, int height, double key_share) {
  Pixels p = picture(width, height);
  const auto threshold = static_cast<std::uint32_t>(key_share * 4294967295.0);
  for (int cy = 0; cy < height; cy += 4)
    for (int cx = 0; cx < width; cx += 4) {
      if (mix(static_cast<std::uint32_t>(cy) * 40503U ^ mix(static_cast<std::uint32_t>(cx) + 0x9e3779b9U)) >= threshold)
        continue;
      for (int y = cy; y < std::min(cy + 4, height); ++y)
        for (int x = cx; x < std::min(cx + 4, width); ++x) p.at(x, y) = kKeyPixel;
    }
  return p;
}

Pixels rounded_skin(int width, int height, int radius, int border) {
  Pixels p = picture(width, height);
  const int left = border, top = border, right = width - border, bottom = height - border;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      bool inside = x >= left && x < right && y >= top && y < bottom;
      if (inside) {
        // Distance from the centre of the nearest corner circle, for pixels in a corner square.
        const int cx = x < left + radius ? left + radius : (x >= right - radius ? right - radius - 1 : x);
        const int cy = y < top + radius ? top + radius : (y >= bottom - radius ? bottom - radius - 1 : y);
        const long long dx = x - cx, dy = y - cy;
        inside = dx * dx + dy * dy <= 1LL * radius * radius;
      }
      if (!inside) p.at(x, y) = kKeyPixel;
    }
  return p;
}

HBITMAP make_dib(const Pixels& pixels, int bits_per_pixel, void** section_bits) {
  void* bits = nullptr;
  HBITMAP bitmap = veneer::test::make_dib_section(pixels.width, pixels.height, bits_per_pixel, &bits);
  if (!bitmap) return bitmap;
  auto* out = static_cast<unsigned char*>(bits);
  const std::size_t stride = veneer::test::dib_stride(pixels.width, bits_per_pixel);
  for (int y = 0; y < pixels.height; ++y) {
    unsigned char* row = out + stride * static_cast<std::size_t>(y);
    if (bits_per_pixel == 32) {
      std::memcpy(row, &pixels.data[static_cast<std::size_t>(y) * pixels.width],
                  4 * static_cast<std::size_t>(pixels.width));
    } else {
      for (int x = 0; x < pixels.width; ++x) {
        const std::uint32_t v = pixels.at(x, y);
        row[3 * x] = static_cast<unsigned char>(v);
        row[3 * x + 1] = static_cast<unsigned char>(v >> 8);
        row[3 * x + 2] = static_cast<unsigned char>(v >> 16);
      }
    }
  }
  ::GdiFlush();
  if (section_bits) *section_bits = bits;
  return bitmap;
}

Surface::Surface(HBITMAP made) {
  bitmap.Attach(made);
  if (!made || !dc.Attach(::CreateCompatibleDC(nullptr))) return;
  previous_ = ::SelectObject(dc.m_hDC, made);
  selected_ = previous_ != nullptr;
}

Surface::~Surface() {
  if (selected_) ::SelectObject(dc.m_hDC, previous_);
}

Pixels read_pixels(HBITMAP bitmap) {
  BITMAP description{};
  if (!::GetObjectA(bitmap, sizeof description, &description)) return {};
  Pixels p{description.bmWidth, description.bmHeight,
           std::vector<std::uint32_t>(static_cast<std::size_t>(description.bmWidth) * description.bmHeight)};
  veneer::test::DibInfo info = veneer::test::dib_info(p.width, p.height, 32);
  CDC screen;
  screen.Attach(::CreateCompatibleDC(nullptr));
  if (::GetDIBits(screen.m_hDC, bitmap, 0, static_cast<UINT>(p.height), p.data.data(), info.info(), DIB_RGB_COLORS) !=
      p.height)
    return {};
  for (auto& v : p.data) v &= 0xFFFFFF;
  return p;
}

}  // namespace veneer::bench
