// Grayscale conversion in place, and copies of whole bitmaps.
#include <cstdint>
#include <memory>
#include <new>

#include "frame/platform.h"
#include "graphics/drawing_support.h"
#include <veneer/veneer.h>

using veneer::graphics::open_memory_context;
using veneer::graphics::ScopedSelection;

namespace {

// BT.601 luma with each term truncated on its own: y = floor(0.114 b) + floor(0.587 g) +
// floor(0.299 r), at most 29 + 149 + 76 = 254. The three terms are looked up in tables
// made at compile time from the same double products, so every colour converts exactly as
// the double formula says, for a fraction of its cost per pixel.
struct GrayTerms {
  BYTE blue[256], green[256], red[256];
};

constexpr GrayTerms make_gray_terms() {
  GrayTerms t{};
  for (int v = 0; v < 256; ++v) {
    t.blue[v] = static_cast<BYTE>(static_cast<int>(v * 0.114));
    t.green[v] = static_cast<BYTE>(static_cast<int>(v * 0.587));
    t.red[v] = static_cast<BYTE>(static_cast<int>(v * 0.299));
  }
  return t;
}

constexpr GrayTerms kGrayTerms = make_gray_terms();

inline BYTE gray_of(BYTE blue, BYTE green, BYTE red) {
  return static_cast<BYTE>(kGrayTerms.blue[blue] + kGrayTerms.green[green] + kGrayTerms.red[red]);
}

void gray_row_24(BYTE* p, int width) {
  for (int x = 0; x < width; ++x, p += 3) p[0] = p[1] = p[2] = gray_of(p[0], p[1], p[2]);
}

// The fourth byte of a 32-bit pixel is not a colour channel; it is kept as it was.
void gray_row_32(BYTE* p, int width) {
  for (int x = 0; x < width; ++x, p += 4) p[0] = p[1] = p[2] = gray_of(p[0], p[1], p[2]);
}

}  // namespace

void AfxConvertToGray24(CBitmap* bitmap) {
  if (!bitmap || !bitmap->m_hObject) return;
  BITMAP description{};
  if (!bitmap->GetBitmap(&description)) return;
  const int bits_per_pixel = description.bmBitsPixel;
  if (description.bmPlanes != 1 || (bits_per_pixel != 24 && bits_per_pixel != 32)) return;
  const int width = description.bmWidth;
  const int height = description.bmHeight;
  if (width <= 0 || height <= 0) return;

  // GetBitmapBits delivers rows padded to 2 bytes, whatever bmWidthBytes says (a DIB
  // section reports its own 4-byte padding there). One transfer takes at most LONG_MAX
  // bytes; a larger bitmap is left as it is.
  const std::int64_t row_bytes = (static_cast<std::int64_t>(width) * bits_per_pixel + 15) / 16 * 2;
  const std::int64_t total = row_bytes * height;
  if (total > 0x7FFFFFFF) return;
  // No buffer means no conversion, and the caller hears of it through the framework's
  // memory exception, before any pixel is touched.
  std::unique_ptr<BYTE[]> bits;
  try {
    bits.reset(new BYTE[static_cast<std::size_t>(total)]);
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  }
  const HBITMAP handle = static_cast<HBITMAP>(bitmap->m_hObject);
  // Unless every byte was read, writing the buffer back would overwrite pixels with bytes
  // that never came from the bitmap.
  if (::GetBitmapBits(handle, static_cast<LONG>(total), bits.get()) != total) return;

  for (int y = 0; y < height; ++y) {
    BYTE* row = bits.get() + y * row_bytes;
    if (bits_per_pixel == 24)
      gray_row_24(row, width);
    else
      gray_row_32(row, width);
  }
  ::SetBitmapBits(handle, static_cast<DWORD>(total), bits.get());
}

int AfxCopyBitmap(CBitmap* source, CBitmap* destination) {
  if (!source || !source->m_hObject || !destination) return 0;
  BITMAP description{};
  if (!source->GetBitmap(&description)) return 0;

  CDC source_dc, copy_dc;
  if (!open_memory_context(source_dc, nullptr) || !open_memory_context(copy_dc, nullptr)) return 0;
  CBitmap copy;
  {
    // The source is selected first so that the copy can be made compatible with it: with
    // the source's own format every pixel value survives, where a screen-compatible copy
    // would convert them.
    ScopedSelection source_selection(source_dc.m_hDC, source->m_hObject);
    if (!source_selection) return 0;
    if (!copy.Attach(::CreateCompatibleBitmap(source_dc.m_hDC, description.bmWidth, description.bmHeight))) return 0;
    ScopedSelection copy_selection(copy_dc.m_hDC, copy.m_hObject);
    if (!copy_selection) return 0;
    if (!::BitBlt(copy_dc.m_hDC, 0, 0, description.bmWidth, description.bmHeight, source_dc.m_hDC, 0, 0, SRCCOPY))
      return 0;
  }
  // Only a finished copy replaces what the destination held.
  destination->DeleteObject();
  destination->Attach(copy.Detach());
  return 1;
}
