// Making and clearing surfaces, and the row lengths of Win32's bitmap layouts.
#include "gdi/surface.h"

#include <atomic>
#include <cstring>
#include <limits>

#include <veneer/headless/testing.h>

namespace veneer::headless::gdi {

namespace {

std::size_t padded_row_bytes(int width, unsigned bits_per_pixel, unsigned align_bits) {
  if (width < 0 || bits_per_pixel == 0) return 0;
  std::uint64_t bits = static_cast<std::uint64_t>(width) * bits_per_pixel;
  return static_cast<std::size_t>((bits + align_bits - 1) / align_bits * (align_bits / 8));
}

}  // namespace

std::size_t ddb_row_bytes(int width, PixelFormat format) {
  return padded_row_bytes(width, static_cast<unsigned>(bits_of(format)), 16);
}

std::size_t dib_row_bytes(int width, unsigned bits_per_pixel) { return padded_row_bytes(width, bits_per_pixel, 32); }

namespace {
std::atomic<std::uint64_t> surface_bytes{0};  // every byte of pixels ever made, for tests
}  // namespace

std::shared_ptr<Surface> Surface::make(int width, int height, PixelFormat format, int row_align, bool bottom_up) {
  if (width <= 0 || height <= 0) return nullptr;
  std::size_t row =
      row_align == 2 ? ddb_row_bytes(width, format) : dib_row_bytes(width, static_cast<unsigned>(bits_of(format)));
  // Keep every byte offset within a signed 32-bit range: a bitmap larger than that is refused,
  // as Win32 refuses it.
  constexpr std::uint64_t max_bytes = std::numeric_limits<std::int32_t>::max();
  std::uint64_t total = static_cast<std::uint64_t>(row) * static_cast<std::uint64_t>(height);
  if (total == 0 || total > max_bytes) return nullptr;
  auto s = std::make_shared<Surface>();
  try {
    s->storage.resize(static_cast<std::size_t>(total));
    s->clear_pending = true;
    surface_bytes += total;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  s->width = width;
  s->height = height;
  s->format = format;
  s->row_bytes = row;
  if (bottom_up) {
    s->top = s->storage.data() + row * static_cast<std::size_t>(height - 1);
    s->stride = -static_cast<std::ptrdiff_t>(row);
  } else {
    s->top = s->storage.data();
    s->stride = static_cast<std::ptrdiff_t>(row);
  }
  return s;
}

void Surface::clear() const {
  // The vector's own elements are not const; only this view of them is.
  std::memset(const_cast<std::uint8_t*>(storage.data()), 0, storage.size());
  clear_pending = false;
}

}  // namespace veneer::headless::gdi

std::uint64_t veneer::headless::testing::bitmap_bytes_made() { return veneer::headless::gdi::surface_bytes.load(); }
