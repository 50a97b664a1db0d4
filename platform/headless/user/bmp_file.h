// BMP files as LoadImageA reads them: the file's bytes checked against everything its headers
// claim, then its pixels spelled out as 32-bit colours, rows from the top.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <veneer/headless/types.h>

namespace veneer::headless::user {

struct BmpImage {
  int width = 0;
  int height = 0;
  int bits = 0;              // the file's bit count
  bool bottom_up = true;     // the file's row order
  bool black_white = false;  // 1 bit with black then white as its colours: a monochrome bitmap
  // width * height pixels 0xAARRGGBB, the top row first. The top byte is the file's own for
  // 32-bit files with the standard layout, zero otherwise.
  std::vector<std::uint32_t> pixels;
};

// Reads a BMP file (BITMAPCOREHEADER, BITMAPINFOHEADER, V4 or V5; 1, 4, 8, 16, 24 or 32 bits;
// uncompressed or bit fields). Returns ERROR_SUCCESS and the image, or the error LoadImageA
// gives: ERROR_FILE_INVALID for an empty file, ERROR_INVALID_DATA for anything cut short, not a
// BMP, or pointing outside the file, ERROR_INVALID_PARAMETER for an image no bitmap can be made
// of (no width or height, planes other than 1, unknown depths, compressions or masks) and
// ERROR_NOT_ENOUGH_MEMORY. Nothing is read outside the bytes given, and the pixels are only
// allocated once the file is known to hold them.
DWORD read_bmp(const std::uint8_t* data, std::size_t size, BmpImage& image);

}  // namespace veneer::headless::user
