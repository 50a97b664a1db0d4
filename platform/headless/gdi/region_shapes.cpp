// Elliptic and round-cornered regions, scan line for scan line as Win32 (Wine) makes them.
//
// The shape covers the rectangle without its right column and bottom row, as Win32's round
// regions do. Each corner is a quarter of an ellipse of the given width and height (clamped
// to the rectangle); an ellipse is a round rectangle whose corners meet. The rows of a corner
// come from Zingl's error-stepping ellipse rasteriser over the lower half of the ellipse; the
// upper half mirrors it, and the rows between the corners span the whole width.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "gdi/objects.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;
using namespace veneer::headless::gdi;

namespace {

constexpr long long max_corner_rows = 1 << 22;
constexpr long long max_corner_columns = 1 << 26;

// How far each row of an ellipse `width` x `height` pixels (both at least 2) is cut in from
// either side, for rows height/2 .. height-1 (index 0 is the middle row, never cut).
std::vector<long long> lower_half_insets(long long width, long long height) {
  const long long half = height / 2;
  std::vector<long long> inset(static_cast<std::size_t>(height - half), -1);
  inset[0] = 0;
  // The terms reach the fourth power of the dimensions: 128-bit keeps large ellipses exact.
  using Wide = __int128;
  const Wide a = width - 1, b = height - 1;
  const Wide a_step = 8 * a * a, b_step = 8 * b * b;
  Wide dx = 4 * b * b * (1 - a), dy = 4 * a * a * (1 + b % 2);
  Wide err = dx + dy + a * a * (b % 2);
  long long x = 0, row = 0;
  while (x <= width / 2) {
    const Wide twice = 2 * err;
    if (twice >= dx) {
      ++x;
      dx += b_step;
      err += dx;
    }
    if (twice <= dy) {
      ++row;
      dy += a_step;
      err += dy;
      if (row < static_cast<long long>(inset.size())) inset[static_cast<std::size_t>(row)] = x;
    }
  }
  // A flat ellipse can end its walk before the last rows; they keep the last inset reached.
  for (std::size_t i = 1; i < inset.size(); ++i)
    if (inset[i] < 0) inset[i] = inset[i - 1];
  return inset;
}

HRGN round_rect_region(long long left, long long top, long long right, long long bottom, long long ellipse_width,
                       long long ellipse_height) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  --right;
  --bottom;
  if (right <= left || bottom <= top) return CreateRectRgn(0, 0, 0, 0);
  const long long width = std::min(right - left, std::llabs(ellipse_width));
  const long long height = std::min(bottom - top, std::llabs(ellipse_height));
  // Every row of a corner is a rectangle and the walk takes a step per column: corners beyond
  // these sizes are refused as Win32 refuses a region it cannot allocate.
  if (height > max_corner_rows || width > max_corner_columns) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (width < 2 || height < 2)
    return CreateRectRgn(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                         static_cast<int>(bottom));

  const std::vector<long long> inset = lower_half_insets(width, height);
  const long long half = height / 2;
  std::vector<RECT> rows;
  rows.reserve(static_cast<std::size_t>(height));
  auto add = [&](long long row_top, long long row_bottom, long long cut) {
    if (left + cut < right - cut && row_top < row_bottom)
      rows.push_back(RECT{static_cast<LONG>(left + cut), static_cast<LONG>(row_top), static_cast<LONG>(right - cut),
                          static_cast<LONG>(row_bottom)});
  };
  for (long long k = 0; k < half; ++k)
    add(top + k, top + k + 1, inset[static_cast<std::size_t>(height - 1 - k - half)]);
  add(top + half, bottom - height + half + 1, 0);
  for (long long k = half + 1; k < height; ++k)
    add(bottom - height + k, bottom - height + k + 1, inset[static_cast<std::size_t>(k - half)]);

  std::vector<char> data(sizeof(RGNDATAHEADER) + rows.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(rows.size());
  header->nRgnSize = static_cast<DWORD>(rows.size() * sizeof(RECT));
  std::copy(rows.begin(), rows.end(), reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER)));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
}

}  // namespace

extern "C" {

HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipse_width, int ellipse_height) {
  return round_rect_region(left, top, right, bottom, ellipse_width, ellipse_height);
}

HRGN WINAPI CreateEllipticRgn(int left, int top, int right, int bottom) {
  return round_rect_region(left, top, right, bottom, static_cast<long long>(right) - left,
                           static_cast<long long>(bottom) - top);
}

HRGN WINAPI CreateEllipticRgnIndirect(const RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

}  // extern "C"
