// DIB headers as the bit transfers and DIB sections read them: which headers describe a format
// this GDI has, and the colour masks of 32-bit bit-field DIBs.
#pragma once

#include <optional>

#include "gdi/pixel_format.h"
#include <veneer/headless/gdi.h>

namespace veneer::headless::gdi {

// Red, green and blue masks of the one 32-bit layout the surfaces have (0x00RRGGBB), which is
// also the layout Win32 reports for 32-bit bitmaps.
inline constexpr DWORD bgrx32_masks[3] = {0xff0000, 0xff00, 0xff};

// The three masks of a BI_BITFIELDS header: they follow a BITMAPINFOHEADER, and a larger
// header (V4, V5) has them as its fields at the same place.
const DWORD* dib_masks(const BITMAPINFO& info);
DWORD* dib_masks(BITMAPINFO& info);

// The format of a DIB that pixels can be read from or written to: uncompressed 24 or 32 bits,
// or 32-bit bit fields with the standard masks (other masks would need a layout the surfaces
// do not have). None for anything else.
std::optional<PixelFormat> dib_format(const BITMAPINFO& info);

// The format GetDIBits writes for this header: as dib_format, except that the masks of a
// 32-bit bit-field header are not read, since GetDIBits writes the standard ones over them.
std::optional<PixelFormat> dib_output_format(const BITMAPINFOHEADER& header);

}  // namespace veneer::headless::gdi
