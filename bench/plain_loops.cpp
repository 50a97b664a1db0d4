#include "bench/plain_loops.h"

#include <algorithm>
#include <cstring>

namespace veneer::bench::plain {

void gray24(unsigned char* bits, int width, int height, std::size_t stride) {
  // 0.114, 0.587 and 0.299 as 16-bit fractions, each product truncated, as the library does.
  for (int y = 0; y < height; ++y) {
    unsigned char* p = bits + stride * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x, p += 3) {
      const unsigned v = ((p[0] * 7472u) >> 16) + ((p[1] * 38469u) >> 16) + ((p[2] * 19595u) >> 16);
      p[0] = p[1] = p[2] = static_cast<unsigned char>(v);
    }
  }
}

void keyed_block(const std::uint32_t* source, std::size_t source_stride, int sx, int sy, int size,
                 std::uint32_t* target, std::size_t target_stride, int dx, int dy, std::uint32_t key) {
  for (int y = 0; y < size; ++y) {
    const std::uint32_t* from = source + source_stride * static_cast<std::size_t>(sy + y) + sx;
    std::uint32_t* to = target + target_stride * static_cast<std::size_t>(dy + y) + dx;
    for (int x = 0; x < size; ++x) to[x] = (from[x] & 0xFFFFFF) == key ? to[x] : from[x];
  }
}

void three_slice(const std::uint32_t* source, std::size_t source_stride, int sx, int sy, int source_width,
                 std::uint32_t* target, std::size_t target_stride, int dy, int width, int height, int cap) {
  const int middle = source_width - 2 * cap, stretched = width - 2 * cap;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* from = source + source_stride * static_cast<std::size_t>(sy + y) + sx;
    std::uint32_t* to = target + target_stride * static_cast<std::size_t>(dy + y);
    std::memcpy(to, from, sizeof *to * static_cast<std::size_t>(cap));
    // Enlarging as Win32 does, column x takes source column (x * middle + (middle - 1) / 2) /
    // stretched: each source column fills the run of columns that take it.
    const int offset = (middle - 1) / 2;
    auto first_taking = [&](int c) {
      return c * stretched <= offset ? 0 : (c * stretched - offset + middle - 1) / middle;
    };
    for (int c = 0; c < middle; ++c)
      std::fill(to + cap + first_taking(c), to + cap + first_taking(c + 1), from[cap + c]);
    std::memcpy(to + width - cap, from + source_width - cap, sizeof *to * static_cast<std::size_t>(cap));
  }
}

void key_runs(const std::uint32_t* pixels, std::size_t stride, int width, int height, std::uint32_t key,
              std::vector<Rect>& out) {
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = pixels + stride * static_cast<std::size_t>(y);
    for (int x = 0; x < width;) {
      while (x < width && (row[x] & 0xFFFFFF) == key) ++x;
      const int start = x;
      while (x < width && (row[x] & 0xFFFFFF) != key) ++x;
      if (x > start) out.push_back(Rect{start, y, x, y + 1});
    }
  }
}

}  // namespace veneer::bench::plain
