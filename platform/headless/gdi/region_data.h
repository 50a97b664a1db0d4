// Regions whose boxes are put in place directly, where pixman would sort or merge them: boxes
// that already form a region, and the union of two regions that lie one above the other.
#pragma once

#include <pixman.h>

namespace veneer::headless::gdi {

// Sets `dst` to a | b when neither is empty and one lies wholly above the other (its bottom at
// or above the other's top); returns false, leaving `dst` as it was, in any other case or
// when memory runs out. `dst` may be `a` or `b`. When `dst` is the upper region its boxes stay
// where they are and only the lower region's are copied, so that a region grown by ORing in
// what lies below it costs time in proportion to what it gains.
bool union_stacked(pixman_region32_t* dst, pixman_region32_t* a, pixman_region32_t* b);

// Makes `dst` (an initialised region) the region of `boxes` when they already are one: at
// least two boxes, none empty, y-x banded and coalesced as pixman keeps them; returns false,
// leaving `dst` as it was, for any other list or when memory runs out. A list that passes is
// taken in one pass, without the sorting pixman_region32_init_rects does.
bool adopt_banded(pixman_region32_t* dst, const pixman_box32_t* boxes, int count);

}  // namespace veneer::headless::gdi
