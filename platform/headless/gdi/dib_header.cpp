#include "gdi/dib_header.h"

#include <algorithm>
#include <cstring>

namespace veneer::headless::gdi {
namespace {

constexpr std::size_t masks_offset = sizeof(BITMAPINFOHEADER);

bool plain_header(const BITMAPINFOHEADER& h) {
  return h.biSize >= sizeof(BITMAPINFOHEADER) && h.biWidth > 0 && h.biHeight != 0 && h.biPlanes == 1;
}

}  // namespace

const DWORD* dib_masks(const BITMAPINFO& info) {
  return reinterpret_cast<const DWORD*>(reinterpret_cast<const unsigned char*>(&info) + masks_offset);
}

DWORD* dib_masks(BITMAPINFO& info) {
  return reinterpret_cast<DWORD*>(reinterpret_cast<unsigned char*>(&info) + masks_offset);
}

std::optional<PixelFormat> dib_output_format(const BITMAPINFOHEADER& h) {
  if (!plain_header(h)) return std::nullopt;
  if (h.biCompression == BI_BITFIELDS) {
    if (h.biBitCount == 32) return PixelFormat::Bgrx32;
    return std::nullopt;
  }
  if (h.biCompression != BI_RGB) return std::nullopt;
  std::optional<PixelFormat> format = format_of_bits(h.biBitCount);
  if (format == PixelFormat::Mono) return std::nullopt;
  return format;
}

std::optional<PixelFormat> dib_format(const BITMAPINFO& info) {
  std::optional<PixelFormat> format = dib_output_format(info.bmiHeader);
  if (format && info.bmiHeader.biCompression == BI_BITFIELDS) {
    DWORD masks[3];
    std::memcpy(masks, dib_masks(info), sizeof masks);  // the caller's buffer may be unaligned
    if (!std::equal(masks, masks + 3, bgrx32_masks)) return std::nullopt;
  }
  return format;
}

}  // namespace veneer::headless::gdi
