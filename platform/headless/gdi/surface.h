// The pixels of a bitmap (or of the screen), for the headless GDI's own code.
//
// Invariants, set by Surface::make and kept for the surface's life:
//   - width > 0 and height > 0; the format never changes;
//   - row_bytes holds `width` pixels of the format, padded to 2 bytes (device-dependent
//     bitmaps) or 4 (DIB sections and the screen), and storage holds exactly height rows;
//   - top is row 0 (the top row) and stride is +row_bytes or -row_bytes (bottom-up DIB
//     sections run backwards), so row(y) lies inside storage exactly for 0 <= y < height.
// Debug builds (NDEBUG not defined) check the last one on every row access: a row index
// outside the surface stops there instead of reading or writing another row's neighbour.
//
// Pixels of a row are laid out as Win32 lays out DIB rows:
//   Mono:   most significant bit first; 1 is white, 0 is black (a monochrome bitmap);
//   Bgr24:  blue, green, red bytes;
//   Bgrx32: one little-endian DWORD 0xAARRGGBB (the top byte is kept by copies, written as 0
//           by colours, as Win32 does).
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "gdi/pixel_format.h"

namespace veneer::headless::gdi {

// Leaves the elements of a vector uninitialised when it grows, for storage that is filled
// before it is read.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <class U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

struct Surface {
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::Mono;
  std::size_t row_bytes = 0;  // stored length of a row
  std::ptrdiff_t stride = 0;  // from one row to the row below it: +row_bytes or -row_bytes
  // A new surface is all zero, but its bytes are only cleared when they are first reached
  // (through row() or ready()): a surface that a copy fills completely is never cleared.
  std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>> storage;
  std::uint8_t* top = nullptr;  // row 0
  // Set at birth, cleared once under the platform lock (a blit readies its surfaces before it
  // lets the lock go) and never written again: threads drawing without the lock only read it.
  mutable bool clear_pending = false;

  // Row y, 0 being the top row, whatever order the rows have in memory.
  std::uint8_t* row(int y) {
    ready();
    return top + row_offset(y);
  }
  const std::uint8_t* row(int y) const {
    ready();
    return top + row_offset(y);
  }
  // Makes the bytes hold the pixels (zero, if nothing was written yet); every access to
  // `storage` goes through this first.
  void ready() const {
    if (clear_pending) clear();
  }
  // For a caller about to overwrite every byte of `storage`: the clearing is skipped.
  void will_overwrite_all() {
    if (clear_pending) clear_pending = false;  // written only while set: see `clear_pending`
  }

  // A zero-filled surface; null when the size cannot be held. Row lengths are rounded to
  // `row_align` bytes (2 or 4); bottom_up lays the rows out in memory from the bottom row up.
  static std::shared_ptr<Surface> make(int width, int height, PixelFormat format, int row_align, bool bottom_up);

 private:
  std::ptrdiff_t row_offset(int y) const {
    assert(y >= 0 && y < height && "row outside the surface");
    return static_cast<std::ptrdiff_t>(y) * stride;
  }
  void clear() const;
};

// Row length of a device-dependent bitmap (what GetObjectA reports and GetBitmapBits uses):
// rows padded to 2 bytes, as Win32 does. Zero when the size overflows.
std::size_t ddb_row_bytes(int width, PixelFormat format);
// Row length of a DIB of any bit count Win32 knows: padded to 4 bytes.
std::size_t dib_row_bytes(int width, unsigned bits_per_pixel);

}  // namespace veneer::headless::gdi
