#include "user/bmp_file.h"

#include <algorithm>
#include <bit>
#include <new>

#include "gdi/dib_header.h"
#include "gdi/surface.h"
#include <veneer/headless/gdi.h>
#include <veneer/headless/kernel_base.h>

namespace veneer::headless::user {
namespace {

constexpr std::size_t file_header_size = 14;
constexpr DWORD core_header_size = 12;
constexpr DWORD v4_header_size = 108;
constexpr DWORD v5_header_size = 124;

std::uint32_t u16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] | p[1] << 8); }
std::uint32_t u24(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16;
}
std::uint32_t u32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// One colour channel of a bit-field pixel: where its mask starts and how wide it is.
struct Channel {
  int shift = 0;
  int width = 0;
  // The channel as 8 bits: wider ones keep their top bits, narrower ones repeat theirs.
  std::uint32_t value(std::uint32_t pixel) const {
    const std::uint32_t v = (pixel >> shift) & (width >= 32 ? ~0u : (1u << width) - 1);
    if (width >= 8) return v >> (width - 8);
    std::uint32_t out = 0;
    int filled = 0;
    for (; filled < 8; filled += width) out = (out << width) | v;
    return out >> (filled - 8);
  }
};

// A mask must be one run of set bits inside the pixel.
bool channel_of(std::uint32_t mask, int bits, Channel& c) {
  if (mask == 0 || (bits < 32 && mask >> bits) != 0) return false;
  c.shift = std::countr_zero(mask);
  const std::uint32_t run = mask >> c.shift;
  if ((run & (run + 1)) != 0) return false;
  c.width = std::popcount(run);
  return true;
}

struct Layout {
  int width = 0;
  long long height = 0;  // signed: negative for top-down files
  int bits = 0;
  DWORD compression = BI_RGB;
  std::uint32_t masks[3] = {};
  std::vector<std::uint32_t> table;  // colours of files of 8 bits or fewer
};

// Decodes row by row into image.pixels; the caller has checked the file holds every row.
void decode(const Layout& l, const std::uint8_t* bits, std::size_t stride, BmpImage& image) {
  const bool raw32 = l.bits == 32 && std::equal(l.masks, l.masks + 3, gdi::bgrx32_masks);
  Channel r, g, b;
  if (l.bits >= 16) {
    channel_of(l.masks[0], l.bits, r);
    channel_of(l.masks[1], l.bits, g);
    channel_of(l.masks[2], l.bits, b);
  }
  const auto colour = [&](std::uint32_t index) { return index < l.table.size() ? l.table[index] : 0u; };
  const auto w = static_cast<std::size_t>(l.width);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* in = bits + stride * static_cast<std::size_t>(image.bottom_up ? image.height - 1 - y : y);
    std::uint32_t* out = image.pixels.data() + w * static_cast<std::size_t>(y);
    switch (l.bits) {
      case 1:
      case 4:
      case 8: {
        const int per_byte = 8 / l.bits;
        const std::uint32_t mask = (1u << l.bits) - 1;
        for (std::size_t x = 0; x < w; ++x) {
          const int shift = 8 - l.bits * (1 + static_cast<int>(x % static_cast<std::size_t>(per_byte)));
          out[x] = colour((in[x / static_cast<std::size_t>(per_byte)] >> shift) & mask);
        }
        break;
      }
      case 24:
        for (std::size_t x = 0; x < w; ++x, in += 3) out[x] = u24(in);
        break;
      default:  // 16 and 32 bits, through the masks
        for (std::size_t x = 0; x < w; ++x) {
          const std::uint32_t p = l.bits == 16 ? u16(in + 2 * x) : u32(in + 4 * x);
          out[x] = raw32 ? p : r.value(p) << 16 | g.value(p) << 8 | b.value(p);
        }
        break;
    }
  }
}

}  // namespace

DWORD read_bmp(const std::uint8_t* data, std::size_t size, BmpImage& image) {
  if (size == 0) return ERROR_FILE_INVALID;
  if (size < file_header_size + 4 || data[0] != 'B' || data[1] != 'M') return ERROR_INVALID_DATA;
  const std::uint32_t off_bits = u32(data + 10);
  const DWORD header_size = u32(data + file_header_size);
  const bool core = header_size == core_header_size;
  if (!core && header_size != sizeof(BITMAPINFOHEADER) && header_size != v4_header_size &&
      header_size != v5_header_size)
    return ERROR_INVALID_DATA;
  // Every offset below is checked against the size in 64 bits, so nothing wraps.
  const std::uint64_t header_end = file_header_size + static_cast<std::uint64_t>(header_size);
  if (header_end > size) return ERROR_INVALID_DATA;
  const std::uint8_t* h = data + file_header_size;

  Layout l;
  std::uint32_t planes, colours_used = 0;
  if (core) {
    l.width = static_cast<int>(u16(h + 4));
    l.height = u16(h + 6);
    planes = u16(h + 8);
    l.bits = static_cast<int>(u16(h + 10));
  } else {
    l.width = static_cast<int>(u32(h + 4));
    l.height = static_cast<std::int32_t>(u32(h + 8));
    planes = u16(h + 12);
    l.bits = static_cast<int>(u16(h + 14));
    l.compression = u32(h + 16);
    colours_used = u32(h + 32);
  }
  if (l.width <= 0 || l.height == 0 || l.height == INT32_MIN || planes != 1) return ERROR_INVALID_PARAMETER;
  if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 && l.bits != 32)
    return ERROR_INVALID_PARAMETER;
  // Run-length and embedded JPEG or PNG pixels are not read.
  if (l.compression != BI_RGB && !(l.compression == BI_BITFIELDS && (l.bits == 16 || l.bits == 32)))
    return ERROR_INVALID_PARAMETER;

  std::uint64_t table_end = header_end;
  if (l.compression == BI_BITFIELDS) {
    // A BITMAPINFOHEADER is followed by the masks; V4 and V5 headers hold them.
    const std::uint8_t* m = header_size == sizeof(BITMAPINFOHEADER) ? data + header_end : h + 40;
    if (header_size == sizeof(BITMAPINFOHEADER)) {
      table_end += 12;
      if (table_end > size) return ERROR_INVALID_DATA;
    }
    for (int i = 0; i < 3; ++i) l.masks[i] = u32(m + 4 * i);
    Channel c;
    for (std::uint32_t mask : l.masks)
      if (!channel_of(mask, l.bits, c)) return ERROR_INVALID_PARAMETER;
  } else if (l.bits == 16) {
    l.masks[0] = 0x7c00;
    l.masks[1] = 0x3e0;
    l.masks[2] = 0x1f;
  } else if (l.bits == 32) {
    std::copy(gdi::bgrx32_masks, gdi::bgrx32_masks + 3, l.masks);
  }
  if (l.bits <= 8) {
    // Only the colours the pixels can name are read; indexes past the table are black.
    const std::uint32_t most = 1u << l.bits;
    const std::uint32_t count = colours_used == 0 || colours_used > most ? most : colours_used;
    const std::size_t entry = core ? 3 : 4;
    if (table_end + count * entry > size) return ERROR_INVALID_DATA;
    l.table.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) l.table[i] = u24(data + table_end + i * entry);
    table_end += count * entry;
  }
  // An offset of 0 means the pixels follow the colour table, as Win32 reads it; others may not
  // point into the headers or past the end.
  const std::uint64_t bits_at = off_bits == 0 ? table_end : off_bits;
  if (bits_at < table_end || bits_at > size) return ERROR_INVALID_DATA;

  // The last row's padding may be missing; every pixel must be there.
  const std::size_t stride = gdi::dib_row_bytes(l.width, static_cast<unsigned>(l.bits));
  const std::uint64_t rows = static_cast<std::uint64_t>(l.height < 0 ? -l.height : l.height);
  const std::uint64_t last_row = (static_cast<std::uint64_t>(l.width) * static_cast<std::uint64_t>(l.bits) + 7) / 8;
  if (stride == 0 || size - bits_at < last_row || (size - bits_at - last_row) / stride < rows - 1)
    return ERROR_INVALID_DATA;

  image.width = l.width;
  image.height = static_cast<int>(rows);
  image.bits = l.bits;
  image.bottom_up = l.height > 0;
  image.black_white = l.bits == 1 && l.table.size() == 2 && l.table[0] == 0 && l.table[1] == 0xffffff;
  try {
    image.pixels.assign(static_cast<std::size_t>(l.width) * static_cast<std::size_t>(rows), 0);
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  decode(l, data + bits_at, stride, image);
  return ERROR_SUCCESS;
}

}  // namespace veneer::headless::user
