// One-pixel lines, for the calls that draw outlines.
#pragma once

#include <cstdint>

#include "gdi/objects.h"

namespace veneer::headless::gdi {

// Draws a one-pixel line of `pixel` from `from` to `to` (the context's coordinates), leaving
// out the last point as LineTo does, within the context's clip. The context has a surface.
void draw_segment(DeviceContext& dc, POINT from, POINT to, std::uint32_t pixel);

}  // namespace veneer::headless::gdi
