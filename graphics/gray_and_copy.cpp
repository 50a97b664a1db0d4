// Grayscale conversion in place, and copies of whole bitmaps.
#include <cstdint>
#include <memory>
#include <new>

#include "frame/platform.h"
#include "graphics/drawing_support.h"
#include "graphics/gray_rows.h"
#include <veneer/veneer.h>

using veneer::graphics::open_memory_context;
using veneer::graphics::ScopedSelection;

namespace {

// A DIB section's rows lie in the caller's reach: they are converted where they are, rows
// of bmWidthBytes each. Row order does not matter, since every pixel converts on its own.
void convert_section_rows(const BITMAP& section) {
  const veneer::graphics::GrayRows& rows = veneer::graphics::gray_rows();
  const auto convert = section.bmBitsPixel == 24 ? rows.row24 : rows.row32;
  ::GdiFlush();
  auto* row = static_cast<BYTE*>(section.bmBits);
  for (LONG y = 0; y < section.bmHeight; ++y, row += section.bmWidthBytes)
    convert(row, static_cast<std::size_t>(section.bmWidth));
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
  if (description.bmBits) {
    convert_section_rows(description);
    return;
  }

  // A device-dependent bitmap is read out, converted and written back. GetBitmapBits
  // delivers rows padded to 2 bytes. One transfer takes at most LONG_MAX bytes; a larger
  // bitmap is left as it is.
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

  const veneer::graphics::GrayRows& rows = veneer::graphics::gray_rows();
  const auto convert = bits_per_pixel == 24 ? rows.row24 : rows.row32;
  for (int y = 0; y < height; ++y) convert(bits.get() + y * row_bytes, static_cast<std::size_t>(width));
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
