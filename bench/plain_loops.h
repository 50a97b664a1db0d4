// The floors: each scene's pixel work done by the plainest loop over raw rows that gives the
// library's pixels, with no platform call and no set-up. What the library takes above one of
// them is what its platform calls, objects and generality cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench/scenes.h"

namespace veneer::bench::plain {

// 24-bit rows in place, `stride` bytes apart, with the library's gray formula.
void gray24(unsigned char* bits, int width, int height, std::size_t stride);

// 32-bit pixels: strides count pixels. The size x size block at (sx, sy) of the source is
// copied to (dx, dy) of the target, except the pixels whose colour (low three bytes) is `key`.
void keyed_block(const std::uint32_t* source, std::size_t source_stride, int sx, int sy, int size,
                 std::uint32_t* target, std::size_t target_stride, int dx, int dy, std::uint32_t key);

// A horizontal three-slice strip of `height` rows: `cap` columns copied at each end and the
// middle columns of the source block enlarged over the rest, each column repeated as a
// stretching blit repeats it (shrinking, which may merge columns, is not done here).
void three_slice(const std::uint32_t* source, std::size_t source_stride, int sx, int sy, int source_width,
                 std::uint32_t* target, std::size_t target_stride, int dy, int width, int height, int cap);

// The non-key runs of each row as one-row rectangles, appended to `out`.
void key_runs(const std::uint32_t* pixels, std::size_t stride, int width, int height, std::uint32_t key,
              std::vector<Rect>& out);

}  // namespace veneer::bench::plain
