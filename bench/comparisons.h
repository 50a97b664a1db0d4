// The straightforward ways of doing what two of the library's functions do, written with
// plain Win32 calls: the yardsticks the library's skin region and transparent blit are
// measured against.
#pragma once

#include <veneer/framework/afx_gdi.h>

namespace veneer::bench {

// The skin region one pixel at a time: GetPixel on every pixel, column by column, and for
// each key-coloured one a 1x1 region subtracted with CombineRgn(RGN_DIFF). Returns the new
// region (the caller deletes it), or null when it could not be made.
HRGN per_pixel_skin_region(HBITMAP bitmap);

// Colour-keyed drawing through a monochrome mask that first copies the WHOLE source bitmap
// into a colour bitmap compatible with the target, however small the block: five blits,
// three memory contexts, the target's colours restored afterwards.
void whole_source_trans_blit(HDC target, HBITMAP source, int source_x, int source_y, const RECT& dest, COLORREF key);

// The four blits of colour-keyed drawing that follow the colour copy: the mask made from the
// copy's pixels of the key colour (at image_x, image_y in `image`), the copy's key pixels
// blackened, the target cleared where the block is opaque and the block ORed in at
// (dest_x, dest_y). The target's background must be white and its text black.
void keyed_mask_blits(HDC target, int dest_x, int dest_y, int w, int h, HDC image, int image_x, int image_y, HDC mask,
                      COLORREF key);

}  // namespace veneer::bench
