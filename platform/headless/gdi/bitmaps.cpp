// Bitmaps: device-dependent bitmaps, DIB sections and the transfers of their bits.
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "gdi/dib_header.h"
#include "gdi/objects.h"
#include "gdi/raster.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;
using namespace veneer::headless::gdi;

namespace {

HBITMAP make_bitmap(std::shared_ptr<Surface> surface, bool dib_section, const BITMAPINFOHEADER* header) {
  if (!surface) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  HBITMAP handle = create<BitmapObject, HBITMAP>();
  if (!handle) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  BitmapObject* b = find_held<BitmapObject>(handle);
  b->surface = std::move(surface);
  b->dib_section = dib_section;
  if (header) b->dib_header = *header;
  return handle;
}

HBITMAP make_dib_section(int width, int height, PixelFormat format, bool bottom_up) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = bottom_up ? height : -height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bits_of(format));
  h.biCompression = BI_RGB;
  // A monochrome section has the two colours of its surface, black and white, as its table.
  if (format == PixelFormat::Mono) h.biClrUsed = 2;
  return make_bitmap(Surface::make(width, height, format, 4, bottom_up), true, &h);
}

// Bytes of an image of the header's width, height (either direction) and bit count.
DWORD image_size(const BITMAPINFOHEADER& h) {
  const auto height = static_cast<std::size_t>(std::llabs(static_cast<long long>(h.biHeight)));
  return static_cast<DWORD>(dib_row_bytes(h.biWidth, h.biBitCount) * height);
}

// A pixel of one format as a pixel of another, colours kept (monochrome: 1 white, 0 black;
// colours into monochrome: the nearer of the two, where blits compare with a colour instead).
template <PixelFormat From, PixelFormat To>
std::uint32_t transfer_pixel(std::uint32_t v) {
  if constexpr (From == To)
    return v;
  else if constexpr (From == PixelFormat::Mono)
    return v ? 0xffffffu : 0u;
  else if constexpr (To == PixelFormat::Mono)
    return nearest_mono(v);
  else
    return v & 0xffffff;
}

template <PixelFormat From, PixelFormat To>
void transfer_row(const std::uint8_t* src, std::uint8_t* dst, int count) {
  if constexpr (From == To && From != PixelFormat::Mono) {
    std::memcpy(dst, src, raster::span_bytes(From, 0, count));
  } else {
    for (int x = 0; x < count; ++x)
      raster::write_pixel<To>(dst, x, transfer_pixel<From, To>(raster::read_pixel<From>(src, x)));
  }
}

using RowTransfer = void (*)(const std::uint8_t* src, std::uint8_t* dst, int count);

RowTransfer row_transfer(PixelFormat from, PixelFormat to) {
  return with_format(from, [to](auto f) {
    return with_format(to, [](auto t) -> RowTransfer { return &transfer_row<decltype(f)::value, decltype(t)::value>; });
  });
}

// Fills a header that asks for nothing (bit count 0) with the bitmap's own description. A
// 32-bit bitmap is described as bit fields, as current Windows does; the masks themselves are
// only written when the caller asks again with that header.
void describe_bitmap(const Surface& s, BITMAPINFOHEADER& h) {
  h.biWidth = s.width;
  h.biHeight = s.height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bits_of(s.format));
  h.biCompression = s.format == PixelFormat::Bgrx32 ? BI_BITFIELDS : BI_RGB;
  h.biClrUsed = 0;
  h.biClrImportant = 0;
  h.biSizeImage = image_size(h);
}

// GetDIBits' scan lines live in the frame of the height the caller's header asks for, not the
// bitmap's: scan line k is frame row (frame - 1 - k) counted from the top, whichever way the
// caller's rows run; the bitmap sits at the top of the frame, and frame rows below it are
// written as zero but not counted. Win32 answers 1 for a call that copies no lines at all.
int copy_scan_lines(const Surface& s, UINT start, UINT lines, const BITMAPINFOHEADER& h, PixelFormat format,
                    std::uint8_t* out) {
  const long long frame = std::llabs(static_cast<long long>(h.biHeight));
  if (lines == 0 || start >= frame) return 1;
  const long long first = start, last = std::min<long long>(frame, first + lines);
  const bool top_down = h.biHeight < 0;
  // Measured under Wine: lines of a top-down request that lie wholly below the bitmap, not
  // even touching it, are left as they were.
  if (top_down && frame - last > s.height) return 0;
  const std::size_t out_row = dib_row_bytes(h.biWidth, h.biBitCount);
  const int count = std::min<int>(h.biWidth, s.width);
  const std::size_t copied_bytes = raster::span_bytes(format, 0, count);
  const RowTransfer transfer = row_transfer(s.format, format);
  int copied = 0;
  for (long long line = first; line < last; ++line) {
    const long long y = frame - 1 - line;
    std::uint8_t* row = out + static_cast<std::size_t>(top_down ? last - 1 - line : line - first) * out_row;
    if (y >= s.height) {
      std::memset(row, 0, out_row);
      continue;
    }
    transfer(s.row(static_cast<int>(y)), row, count);
    std::memset(row + copied_bytes, 0, out_row - copied_bytes);  // columns past the bitmap, and padding
    ++copied;
  }
  return copied;
}

}  // namespace

namespace veneer::headless::gdi {

HBITMAP create_dib_section(int width, int height, PixelFormat format, bool bottom_up) {
  std::lock_guard lock(platform_lock());
  return make_dib_section(width, height, format, bottom_up);
}

}  // namespace veneer::headless::gdi

extern "C" {

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits) {
  std::lock_guard lock(platform_lock());
  if (planes != 1 || bits_per_pixel > 32) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (width == 0 || height == 0) return default_bitmap();  // Win32 gives its 1x1 monochrome stock bitmap
  std::optional<PixelFormat> format = format_of_ddb_bits(bits_per_pixel);
  if (!format) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  long long w = std::llabs(static_cast<long long>(width)), h = std::llabs(static_cast<long long>(height));
  if (w > 0x7fffffff || h > 0x7fffffff) return nullptr;
  auto surface = Surface::make(static_cast<int>(w), static_cast<int>(h), *format, 2, false);
  if (surface && bits) {
    surface->will_overwrite_all();
    std::memcpy(surface->storage.data(), bits, surface->storage.size());
  }
  return make_bitmap(std::move(surface), false, nullptr);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height) {
  std::lock_guard lock(platform_lock());
  DeviceContext* d = find_context(dc);
  if (!d || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return default_bitmap();
  if (d->type != ContextType::Memory)
    return make_bitmap(Surface::make(width, height, screen_format, 2, false), false, nullptr);
  // A memory context gives the format of the bitmap selected into it, as Win32 (Wine) does:
  // monochrome and screen-depth bitmaps stay device-dependent; a DIB section gives a DIB
  // section of its own depth and row order, and another depth a bottom-up DIB section.
  const BitmapObject* b = find_held<BitmapObject>(d->bitmap);
  const Surface& s = *d->surface;
  if (b && b->dib_section) return make_dib_section(width, height, s.format, b->dib_header.biHeight > 0);
  if (s.format == PixelFormat::Mono || s.format == screen_format)
    return make_bitmap(Surface::make(width, height, s.format, 2, false), false, nullptr);
  return make_dib_section(width, height, s.format, true);
}

HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  std::lock_guard lock(platform_lock());
  if (bits) *bits = nullptr;
  std::optional<PixelFormat> format = info ? dib_format(*info) : std::nullopt;
  if (!format || usage != DIB_RGB_COLORS || section) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const BITMAPINFOHEADER& h = info->bmiHeader;
  long long height = std::llabs(static_cast<long long>(h.biHeight));
  if (height > 0x7fffffff) return nullptr;
  BITMAPINFOHEADER kept = h;
  kept.biSize = sizeof kept;
  kept.biSizeImage = 0;
  HBITMAP handle =
      make_bitmap(Surface::make(h.biWidth, static_cast<int>(height), *format, 4, h.biHeight > 0), true, &kept);
  if (handle && bits) {
    Surface& s = *find<BitmapObject>(handle)->surface;
    s.ready();  // the program writes and reads the bits itself
    *bits = s.storage.data();
  }
  return handle;
}

// The bits as a device-dependent bitmap has them: rows from the top, padded to 2 bytes.
LONG WINAPI GetBitmapBits(HBITMAP bitmap, LONG bytes, LPVOID bits) {
  if (!call_allowed("GetBitmapBits")) return 0;
  std::lock_guard lock(platform_lock());
  BitmapObject* b = find<BitmapObject>(bitmap);
  if (!b || bytes < 0) return 0;
  const Surface& s = *b->surface;
  std::size_t row = ddb_row_bytes(s.width, s.format);
  std::size_t total = row * static_cast<std::size_t>(s.height);
  if (!bits) return static_cast<LONG>(total);
  std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(bytes), total);
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::size_t done = 0, y = 0; done < n; done += row, ++y)
    std::memcpy(out + done, s.row(static_cast<int>(y)), std::min(row, n - done));
  return static_cast<LONG>(n);
}

LONG WINAPI SetBitmapBits(HBITMAP bitmap, DWORD bytes, const void* bits) {
  std::lock_guard lock(platform_lock());
  BitmapObject* b = find<BitmapObject>(bitmap);
  if (!b || !bits) return 0;
  Surface& s = *b->surface;
  std::size_t row = ddb_row_bytes(s.width, s.format);
  std::size_t total = row * static_cast<std::size_t>(s.height);
  std::size_t n = std::min<std::size_t>(bytes, total);
  // Only the pixels' bytes of each row are written; a DIB section's own padding stays.
  std::size_t pixels = raster::span_bytes(s.format, 0, s.width);
  auto* in = static_cast<const std::uint8_t*>(bits);
  for (std::size_t done = 0, y = 0; done < n; done += row, ++y)
    std::memcpy(s.row(static_cast<int>(y)), in + done, std::min(pixels, n - done));
  return static_cast<LONG>(n);
}

int WINAPI GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT usage) {
  if (!call_allowed("GetDIBits")) return 0;
  std::lock_guard lock(platform_lock());
  BitmapObject* b = find<BitmapObject>(bitmap);
  if (!find_context(dc) || !b || !info || usage != DIB_RGB_COLORS || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER))
    return 0;
  const Surface& s = *b->surface;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (!bits) {
    if (h.biBitCount == 0) {
      describe_bitmap(s, h);
      return s.height;
    }
    // Sizing the asked format; a 32-bit bit-field header gets its masks, as with bits.
    h.biSizeImage = image_size(h);
    if (h.biBitCount == 32 && h.biCompression == BI_BITFIELDS) std::memcpy(dib_masks(*info), bgrx32_masks, 12);
    return 1;
  }
  std::optional<PixelFormat> format = dib_output_format(h);
  if (!format) return 0;
  h.biSizeImage = image_size(h);
  if (h.biCompression == BI_BITFIELDS) std::memcpy(dib_masks(*info), bgrx32_masks, 12);
  return copy_scan_lines(s, start, lines, h, *format, static_cast<std::uint8_t*>(bits));
}

int WINAPI SetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
                     UINT usage) {
  std::lock_guard lock(platform_lock());
  BitmapObject* b = find<BitmapObject>(bitmap);
  std::optional<PixelFormat> format = info ? dib_format(*info) : std::nullopt;
  if (!b || !bits || !format || usage != DIB_RGB_COLORS) return 0;
  Surface& s = *b->surface;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  bool bottom_up = h.biHeight > 0;
  long long first = start, last = std::min<long long>(static_cast<long long>(start) + lines, s.height);
  if (first >= last) return 0;
  std::size_t in_row = dib_row_bytes(h.biWidth, h.biBitCount);
  int count = std::min<int>(h.biWidth, s.width);
  auto* in = static_cast<const std::uint8_t*>(bits);
  const RowTransfer transfer = row_transfer(*format, s.format);
  for (long long line = first; line < last; ++line) {
    int y = static_cast<int>(bottom_up ? s.height - 1 - line : line);
    transfer(in + static_cast<std::size_t>(line - first) * in_row, s.row(y), count);
  }
  return static_cast<int>(last - first);
}

}  // extern "C"
