// Regions built box by box. A pixman region with more than one box keeps them after a header of
// capacity and count (pixman_region32_data_t, declared in pixman.h), in memory from malloc
// that pixman reallocates and frees; a region of one box keeps it in its extents alone, and an
// empty one points at pixman's shared empty header (capacity 0), which is never written.
//
// Boxes are y-x banded: sorted by top, then left; the boxes of a band share their top and
// bottom, never touch within it, and two bands that touch vertically never have the same
// spans (they would have been one band). Stacking keeps all of that: the lower region's bands
// follow the upper one's, and where the upper one's last band touches the lower one's first
// and has the same spans, the two become one band. Adopting a list checks all of it first.
#include "gdi/region_data.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace veneer::headless::gdi {

namespace {

// The index of the first box of the band that holds box `last`.
int band_start(const pixman_box32_t* boxes, int last) {
  int first = last;
  while (first > 0 && boxes[first - 1].y1 == boxes[last].y1) --first;
  return first;
}

// The number of boxes in the band starting at box 0.
int first_band_size(const pixman_box32_t* boxes, int count) {
  int n = 1;
  while (n < count && boxes[n].y1 == boxes[0].y1) ++n;
  return n;
}

bool same_spans(const pixman_box32_t* a, const pixman_box32_t* b, int n) {
  for (int i = 0; i < n; ++i)
    if (a[i].x1 != b[i].x1 || a[i].x2 != b[i].x2) return false;
  return true;
}

pixman_box32_t* boxes_of(pixman_region32_data_t* data) { return reinterpret_cast<pixman_box32_t*>(data + 1); }

// Header and room for `capacity` boxes, or null.
pixman_region32_data_t* allocate(pixman_region32_data_t* old, long capacity) {
  const std::size_t bytes =
      sizeof(pixman_region32_data_t) + static_cast<std::size_t>(capacity) * sizeof(pixman_box32_t);
  auto* data = static_cast<pixman_region32_data_t*>(old ? std::realloc(old, bytes) : std::malloc(bytes));
  if (data) data->size = capacity;
  return data;
}

}  // namespace

bool union_stacked(pixman_region32_t* dst, pixman_region32_t* a, pixman_region32_t* b) {
  if (!pixman_region32_not_empty(a) || !pixman_region32_not_empty(b)) return false;
  const bool a_above = a->extents.y2 <= b->extents.y1;
  if (!a_above && b->extents.y2 > a->extents.y1) return false;  // they share rows
  pixman_region32_t* upper = a_above ? a : b;
  pixman_region32_t* lower = a_above ? b : a;
  int n_upper = 0, n_lower = 0;
  const pixman_box32_t* upper_boxes = pixman_region32_rectangles(upper, &n_upper);
  const pixman_box32_t* lower_boxes = pixman_region32_rectangles(lower, &n_lower);

  // Whether the upper region's last band and the lower one's first are one band.
  const int last_band = band_start(upper_boxes, n_upper - 1);
  const int last_band_size = n_upper - last_band;
  const bool join = upper_boxes[last_band].y2 == lower_boxes[0].y1 &&
                    first_band_size(lower_boxes, n_lower) == last_band_size &&
                    same_spans(upper_boxes + last_band, lower_boxes, last_band_size);
  const int joined_bottom = lower_boxes[0].y2;
  if (join) {
    lower_boxes += last_band_size;
    n_lower -= last_band_size;
  }
  const long total = static_cast<long>(n_upper) + n_lower;
  if (total < 2) return false;  // one box is kept in the extents alone: left to pixman
  const pixman_box32_t extents{std::min(upper->extents.x1, lower->extents.x1), upper->extents.y1,
                               std::max(upper->extents.x2, lower->extents.x2), lower->extents.y2};

  // The upper region's own boxes stay where they are when it is the destination and keeps them
  // on the heap: its memory grows by at least half again, so that repeated stacking copies
  // each box a bounded number of times. Otherwise the boxes go to new memory, and the
  // destination's old memory is freed once both regions' boxes are copied.
  pixman_region32_data_t* const old = dst->data;
  const bool in_place = dst == upper && old && old->size > 0;
  pixman_region32_data_t* data = old;
  if (!in_place)
    data = allocate(nullptr, total);
  else if (old->size < total)
    data = allocate(old, std::max(total, old->size + old->size / 2));
  if (!data) return false;
  pixman_box32_t* out = boxes_of(data);
  if (!in_place) std::memcpy(out, upper_boxes, static_cast<std::size_t>(n_upper) * sizeof(pixman_box32_t));
  if (join)
    for (int i = last_band; i < n_upper; ++i) out[i].y2 = joined_bottom;
  std::memcpy(out + n_upper, lower_boxes, static_cast<std::size_t>(n_lower) * sizeof(pixman_box32_t));
  if (!in_place && old && old->size > 0) std::free(old);
  data->numRects = total;
  dst->data = data;
  dst->extents = extents;
  return true;
}

bool adopt_banded(pixman_region32_t* dst, const pixman_box32_t* boxes, int count) {
  if (count < 2) return false;
  int band = 0, previous_band = -1;  // first boxes of the current and the previous band
  pixman_box32_t extents = boxes[0];
  // Whether the band [first, end) touches the band before it with the same spans.
  auto joins_previous = [&](int first, int end) {
    return previous_band >= 0 && boxes[previous_band].y2 == boxes[first].y1 && first - previous_band == end - first &&
           same_spans(boxes + previous_band, boxes + first, end - first);
  };
  for (int i = 0; i < count; ++i) {
    const pixman_box32_t& b = boxes[i];
    if (b.x1 >= b.x2 || b.y1 >= b.y2) return false;
    if (i > 0 && b.y1 == boxes[band].y1) {
      if (b.y2 != boxes[band].y2 || b.x1 <= boxes[i - 1].x2) return false;  // a band's boxes never touch
    } else if (i > 0) {
      if (b.y1 < boxes[band].y2 || joins_previous(band, i)) return false;
      previous_band = band;
      band = i;
    }
    extents.x1 = std::min(extents.x1, b.x1);
    extents.x2 = std::max(extents.x2, b.x2);
  }
  if (joins_previous(band, count)) return false;
  extents.y2 = boxes[count - 1].y2;
  pixman_region32_data_t* data = allocate(nullptr, count);
  if (!data) return false;
  std::memcpy(boxes_of(data), boxes, static_cast<std::size_t>(count) * sizeof(pixman_box32_t));
  data->numRects = count;
  pixman_region32_fini(dst);
  dst->data = data;
  dst->extents = extents;
  return true;
}

}  // namespace veneer::headless::gdi
