// Blits for the platform's own drawing calls.
#pragma once

#include "gdi/objects.h"

namespace veneer::headless::gdi {

// PatBlt with PATCOPY over extents too large for an int (the corners of a shape may lie
// anywhere in the int range): the selected brush, within the context's clip. False when the
// context has no surface.
bool fill_with_brush(DeviceContext& dc, long long x, long long y, long long width, long long height);

}  // namespace veneer::headless::gdi
