// BitBlt, StretchBlt and PatBlt: every ternary raster operation, clipping against both
// surfaces, conversions between formats and Win32's stretch picks. The work is done a row at
// a time: the source span is converted into the destination's format once per row (or per
// merged row), the stretch's columns are mapped through a table built once per call, and the
// operation runs over the row's bytes.
#include "gdi/blit.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "gdi/clip.h"
#include "gdi/objects.h"
#include "gdi/raster.h"

namespace veneer::headless::gdi {
namespace {

using namespace raster;

long long floor_div(long long a, long long b) {
  long long q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
long long ceil_div(long long a, long long b) { return -floor_div(-a, b); }
// Enlarging n source pixels, the rounding added before dividing.
long long h_grow_of(long long n) { return (n - 1) / 2; }

// The destination columns of a stretch that takes single pixels, as runs of columns that take
// one source pixel each (an enlarged source pixel is one run), so that each row is filled run
// by run instead of pixel by pixel.
struct ColumnRun {
  int length;  // destination columns
  int source;  // the source column they all take
};

// How the pixels of one axis of the destination take their source pixels. For each visible
// destination pixel, in increasing coordinate: the source pixels it merges (lo..hi, absolute
// and inside the source) and the one it takes when it does not merge (pick). The common
// mappings keep no list per pixel: a one-to-one axis is an offset, and an axis enlarged in
// order keeps one run per source pixel.
struct AxisMap {
  enum class Kind {
    Offset,  // pixel i takes source_first + i
    Runs,    // runs only (colour columns that need no picks)
    Picks,   // picks (and runs when enlarged in order); each pixel takes one source pixel
    Ranges,  // lo, hi and picks
  };
  Kind kind = Kind::Offset;
  int first = 0;   // first visible destination coordinate (surface coordinates)
  int length = 0;  // visible destination pixels
  int source_first = 0;
  bool merging = false;  // some pixel spans more than one source pixel
  std::vector<int> lo_list, hi_list, picks;
  std::vector<ColumnRun> runs;
  int source_min = 0, source_max = -1;

  int count() const { return length; }
  int pick(int i) const { return kind == Kind::Offset ? source_first + i : picks[static_cast<std::size_t>(i)]; }
  int lo(int i) const { return kind == Kind::Ranges ? lo_list[static_cast<std::size_t>(i)] : pick(i); }
  int hi(int i) const { return kind == Kind::Ranges ? hi_list[static_cast<std::size_t>(i)] : pick(i); }
};

// Win32's (Wine's) mapping, measured: shrinking n source pixels onto m, destination pixel k
// (in drawing order) takes the source pixels i with floor((i*m + (m-1)/2) / n) == k, and a
// single one of them where nothing merges (horizontally the last, vertically the first);
// enlarging, it takes i = floor((k*n + (n-1)/2) / m). A negative extent reverses the order on
// its side. One quirk is kept: shrinking onto one pixel with neither side mirrored leaves the
// last source pixel out. `runs_will_do`: the caller can draw from runs alone, so an axis
// enlarged in order by at least two on average needs no picks.
bool build_axis(AxisMap& map, long long dst, long long dst_extent, long long src, long long src_extent, int clip_lo,
                int clip_hi, int src_lo_bound, int src_hi_bound, bool pick_last, bool runs_will_do = false) {
  if (dst_extent == 0 || src_extent == 0) return false;
  bool dst_mirror = dst_extent < 0, src_mirror = src_extent < 0;
  long long m = dst_mirror ? -dst_extent : dst_extent;
  long long n = src_mirror ? -src_extent : src_extent;
  long long dst_start = dst_mirror ? dst + dst_extent + 1 : dst;
  long long src_start = src_mirror ? src + src_extent + 1 : src;
  long long used = (m == 1 && n > 1 && !dst_mirror && !src_mirror) ? n - 1 : n;
  long long j_lo = std::max<long long>(0, clip_lo - dst_start);
  long long j_hi = std::min<long long>(m, clip_hi - dst_start);
  if (j_lo >= j_hi) return false;
  map.merging = false;
  map.runs.clear();
  if (m == n && !dst_mirror && !src_mirror) {
    // One to one, the common blit: each visible pixel takes the source pixel at its offset.
    const long long first = std::max<long long>(j_lo, src_lo_bound - src_start);
    const long long last = std::min<long long>(j_hi, src_hi_bound - src_start);
    if (first >= last) return false;
    map.kind = AxisMap::Kind::Offset;
    map.first = static_cast<int>(dst_start + first);
    map.length = static_cast<int>(last - first);
    map.source_first = static_cast<int>(src_start + first);
    map.source_min = map.source_first;
    map.source_max = static_cast<int>(src_start + last - 1);
    return true;
  }
  if (m > n && !dst_mirror && !src_mirror) {
    // Enlarging in order: source pixel i is taken by the destination pixels from
    // ceil((i*m - (n-1)/2) / n) up to the first that takes i + 1, one run per source pixel,
    // worked out per source pixel instead of per destination pixel.
    const long long h = h_grow_of(n);
    auto source_of = [&](long long j) { return (j * n + h) / m; };
    auto first_taking = [&](long long i) { return std::max<long long>(0, ceil_div(i * m - h, n)); };
    const long long i_first = std::max<long long>(source_of(j_lo), src_lo_bound - src_start);
    const long long i_last = std::min<long long>(source_of(j_hi - 1), src_hi_bound - 1 - src_start);
    if (i_first > i_last) return false;
    map.runs.reserve(static_cast<std::size_t>(i_last - i_first + 1));
    long long start = std::max(first_taking(i_first), j_lo);
    map.first = static_cast<int>(dst_start + start);
    for (long long i = i_first; i <= i_last; ++i) {
      const long long end = std::min(first_taking(i + 1), j_hi);
      map.runs.push_back({static_cast<int>(end - start), static_cast<int>(src_start + i)});
      start = end;
    }
    map.length = static_cast<int>(start - (map.first - dst_start));
    map.source_min = static_cast<int>(src_start + i_first);
    map.source_max = static_cast<int>(src_start + i_last);
    if (runs_will_do && map.runs.size() * 2 <= static_cast<std::size_t>(map.length)) {
      map.kind = AxisMap::Kind::Runs;
      return true;
    }
    map.kind = AxisMap::Kind::Picks;
    map.picks.resize(static_cast<std::size_t>(map.length));
    auto out = map.picks.begin();
    for (const ColumnRun& run : map.runs) out = std::fill_n(out, run.length, run.source);
    return true;
  }
  map.kind = AxisMap::Kind::Ranges;
  map.lo_list.clear();
  map.hi_list.clear();
  map.picks.clear();
  map.lo_list.reserve(static_cast<std::size_t>(j_hi - j_lo));
  map.hi_list.reserve(static_cast<std::size_t>(j_hi - j_lo));
  map.picks.reserve(static_cast<std::size_t>(j_hi - j_lo));
  map.first = -1;
  long long h_shrink = (m - 1) / 2, h_grow = h_grow_of(n);
  // Enlarging, k * n + h_grow moves by n from one destination pixel to the next (at most one
  // m, as n <= m): its quotient by m is carried along with the remainder, not divided out for
  // every pixel.
  long long grow_q = 0, grow_r = 0;
  const long long grow_step = dst_mirror ? -n : n;
  if (m >= n) {
    const long long t = (dst_mirror ? m - 1 - j_lo : j_lo) * n + h_grow;  // never negative
    grow_q = t / m;
    grow_r = t % m;
  }
  for (long long j = j_lo; j < j_hi; ++j) {
    long long k = dst_mirror ? m - 1 - j : j;
    long long i_lo, i_hi;
    if (m >= n) {
      i_lo = i_hi = grow_q;
      grow_r += grow_step;
      if (grow_r >= m) {
        grow_r -= m;
        ++grow_q;
      } else if (grow_r < 0) {
        grow_r += m;
        --grow_q;
      }
    } else {
      i_lo = ceil_div(k * n - h_shrink, m);
      i_hi = ceil_div((k + 1) * n - h_shrink, m) - 1;
    }
    if (i_hi > used - 1) i_hi = used - 1;
    if (i_lo > i_hi) continue;
    long long a = src_mirror ? src_start + n - 1 - i_hi : src_start + i_lo;
    long long b = src_mirror ? src_start + n - 1 - i_lo : src_start + i_hi;
    long long p = (pick_last ? i_hi : i_lo);
    p = src_mirror ? src_start + n - 1 - p : src_start + p;
    a = std::max<long long>(a, src_lo_bound);
    b = std::min<long long>(b, src_hi_bound - 1);
    if (a > b) {
      // No source pixel: the destination pixel stays. Mapped pixels form one run, so only
      // pixels before the run or after it can be missing.
      if (map.first >= 0) break;
      continue;
    }
    p = std::clamp(p, a, b);
    if (map.first < 0) map.first = static_cast<int>(dst_start + j);
    map.merging = map.merging || a != b;
    map.lo_list.push_back(static_cast<int>(a));
    map.hi_list.push_back(static_cast<int>(b));
    map.picks.push_back(static_cast<int>(p));
  }
  if (map.picks.empty()) return false;
  map.length = static_cast<int>(map.picks.size());
  map.source_min = *std::min_element(map.lo_list.begin(), map.lo_list.end());
  map.source_max = *std::max_element(map.hi_list.begin(), map.hi_list.end());
  return true;
}

enum class Merge { None, And, Or };

// Gathers the mapped columns of a converted source row (whose column `base` is at index 0 and
// which is in the destination's format) into `out` at bit `out_bit` (0 for colour).
template <PixelFormat F>
void gather(const std::uint8_t* conv, int base, const AxisMap& cols, Merge merge, std::uint8_t* out, int out_bit) {
  int n = cols.count();
  for (int c = 0; c < n; ++c) {
    std::uint32_t v;
    if (merge == Merge::None) {
      v = read_pixel<F>(conv, cols.pick(c) - base);
    } else {
      v = read_pixel<F>(conv, cols.lo(c) - base);
      for (int x = cols.lo(c) + 1; x <= cols.hi(c); ++x) {
        std::uint32_t w = read_pixel<F>(conv, x - base);
        v = merge == Merge::And ? (v & w) : (v | w);
      }
    }
    write_pixel<F>(out, out_bit + c, v);
  }
}

// The runs of a map that takes single pixels, built once per call.
std::vector<ColumnRun> column_runs(const AxisMap& cols) {
  std::vector<ColumnRun> runs;
  for (int c = 0; c < cols.count(); ++c) {
    if (!runs.empty() && runs.back().source == cols.pick(c))
      ++runs.back().length;
    else
      runs.push_back({1, cols.pick(c)});
  }
  return runs;
}

// Writes the runs' pixels of a converted colour row (its column `base` at index 0) to `out`.
template <PixelFormat F>
void fill_runs(const std::uint8_t* conv, int base, const std::vector<ColumnRun>& runs, std::uint8_t* out) {
  constexpr std::size_t size = pixel_bytes(F);
  for (const ColumnRun& run : runs) {
    const std::uint32_t v = read_pixel<F>(conv, run.source - base);
    if (run.length < 8) {
      for (int i = 0; i < run.length; ++i, out += size) write_pixel<F>(out, 0, v);
    } else {
      fill_pixels<F>(out, static_cast<std::size_t>(run.length), v);
      out += size * static_cast<std::size_t>(run.length);
    }
  }
}

// Runs the operation over `count` destination pixels from column x of the row, the source and
// pattern spans laid out as the destination's bytes are (same bit offset for monochrome).
template <PixelFormat F>
void apply_row(RopRows op, std::uint8_t* row, int x, int count, const std::uint8_t* s, const std::uint8_t* p) {
  if constexpr (F != PixelFormat::Mono) {
    op(row + static_cast<std::size_t>(x) * pixel_bytes(F), 0, s, 0, p, span_bytes(F, 0, count), 1);
  } else {
    std::uint8_t* d = row + (x >> 3);
    int bit = x & 7;
    std::size_t n = span_bytes(F, bit, count);
    std::uint8_t first = d[0], last = d[n - 1];
    op(d, 0, s, 0, p, n, 1);
    std::uint8_t keep_first = static_cast<std::uint8_t>(~(0xffu >> bit));
    int end_bits = (bit + count) & 7;
    std::uint8_t keep_last = end_bits ? static_cast<std::uint8_t>(0xffu >> end_bits) : 0;
    if (n == 1) {
      std::uint8_t keep = keep_first | keep_last;
      d[0] = static_cast<std::uint8_t>((d[0] & ~keep) | (first & keep));
    } else {
      d[0] = static_cast<std::uint8_t>((d[0] & ~keep_first) | (first & keep_first));
      d[n - 1] = static_cast<std::uint8_t>((d[n - 1] & ~keep_last) | (last & keep_last));
    }
  }
}

// SRCCOPY at the same size between two surfaces of one format: the visible block is copied
// row by row as it is, or in one piece when the rows of both surfaces follow each other in
// memory without padding. x, y, sx and sy are surface coordinates.
// The destination pixels of a plain copy of w x h pixels from (sx, sy) to (x, y) that lie in
// the clip and whose source pixel lies inside the source's drawable area.
struct CopyBox {
  long long x0, y0, x1, y1;
};
CopyBox copy_box(const RECT& clip, long long x, long long y, long long w, long long h, const RECT& sclip, long long sx,
                 long long sy) {
  return {std::max({x, static_cast<long long>(clip.left), x + sclip.left - sx}),
          std::max({y, static_cast<long long>(clip.top), y + sclip.top - sy}),
          std::min({x + w, static_cast<long long>(clip.right), x + sclip.right - sx}),
          std::min({y + h, static_cast<long long>(clip.bottom), y + sclip.bottom - sy})};
}

void plain_copy(Surface& ds, const RECT& clip, long long x, long long y, long long w, long long h, const Surface& ss,
                const RECT& sclip, long long sx, long long sy) {
  const auto [x0, y0, x1, y1] = copy_box(clip, x, y, w, h, sclip, sx, sy);
  if (x0 >= x1 || y0 >= y1) return;
  const int count = static_cast<int>(x1 - x0), rows = static_cast<int>(y1 - y0);
  const int dx = static_cast<int>(x0), dy = static_cast<int>(y0);
  const int src_x = static_cast<int>(sx + (x0 - x)), src_y = static_cast<int>(sy + (y0 - y));
  if (ds.format == PixelFormat::Mono) {
    for (int r = 0; r < rows; ++r) copy_bits(ds.row(dy + r), dx, ss.row(src_y + r), src_x, count);
    return;
  }
  const std::size_t size = pixel_bytes(ds.format);
  const std::size_t bytes = static_cast<std::size_t>(count) * size;
  if (bytes == ds.row_bytes && bytes == ss.row_bytes && ds.stride == ss.stride) {
    // Whole rows, laid out alike: the block is one run of memory on both sides, starting at
    // its top row, or at its bottom row for bottom-up surfaces.
    const int first = ds.stride > 0 ? 0 : rows - 1;
    if (bytes * static_cast<std::size_t>(rows) == ds.storage.size()) ds.will_overwrite_all();
    std::memcpy(ds.row(dy + first), ss.row(src_y + first), bytes * static_cast<std::size_t>(rows));
    return;
  }
  std::uint8_t* const to = ds.row(dy) + static_cast<std::size_t>(dx) * size;
  const std::uint8_t* const from = ss.row(src_y) + static_cast<std::size_t>(src_x) * size;
  for (int r = 0; r < rows; ++r) std::memcpy(to + r * ds.stride, from + r * ss.stride, bytes);
}

// The rectangles a blit may draw into: nearly always one, held without an allocation; a clip
// region of many rectangles moves them to the heap.
class ClipList {
 public:
  void push_back(const RECT& r) {
    if (count_ < std::size(local_)) {
      local_[count_] = r;
    } else {
      if (spill_.empty()) spill_.assign(std::begin(local_), std::end(local_));
      spill_.push_back(r);
    }
    ++count_;
  }
  std::size_t size() const { return count_; }
  const RECT* begin() const { return count_ <= std::size(local_) ? local_ : spill_.data(); }
  const RECT* end() const { return begin() + count_; }
  const RECT& operator[](std::size_t i) const { return begin()[i]; }

 private:
  RECT local_[4];  // the first count_ are set
  std::vector<RECT> spill_;
  std::size_t count_ = 0;
};

struct Blit {
  DeviceContext* dst = nullptr;
  DeviceContext* src = nullptr;
  long long x = 0, y = 0, w = 0, h = 0;
  long long sx = 0, sy = 0, sw = 0, sh = 0;
  unsigned rop = 0;
};

// Everything the pixel work of a blit needs, taken from the contexts while the platform lock
// is held; the pixels are then drawn without the lock. The job keeps its surfaces alive (a
// bitmap deleted meanwhile goes when the job ends) and reads nothing else of a context or an
// object. Coordinates are surface coordinates.
struct Job {
  std::shared_ptr<Surface> dst_surface;
  Surface* dst = nullptr;
  std::shared_ptr<const Surface> src;  // null when the operation takes no source
  bool copy_source = false;            // the source is the surface drawn into
  bool plain = false;                  // a same-sized copy between surfaces of one format
  long long x = 0, y = 0, w = 0, h = 0;
  long long sx = 0, sy = 0, sw = 0, sh = 0;
  RECT sclip{};                 // what the source context can be read from
  ClipList clips;               // where the destination context may draw
  COLORREF src_bk_color = 0;    // source pixels of this colour become 1 in monochrome
  COLORREF dst_text_color = 0;  // monochrome 0 drawn in colour
  COLORREF dst_bk_color = 0;    // monochrome 1 drawn in colour
  bool pattern = false;         // the operation takes the brush's pattern
  COLORREF pattern_color = 0;
  AxisMap cols, rows;  // the axes of the clip rectangle being drawn
  Merge merge = Merge::None;
  unsigned index = 0;
};

// Working bytes for a row or two, zeroed: on the stack up to a few KiB, on the heap beyond, so
// that a small blit allocates nothing.
class RowBuffer {
 public:
  explicit RowBuffer(std::size_t n) {
    if (n > sizeof local_) heap_.resize(n);
    if (n != 0) std::memset(data(), 0, n);
  }
  RowBuffer(const RowBuffer&) = delete;
  RowBuffer& operator=(const RowBuffer&) = delete;
  std::uint8_t* data() { return heap_.empty() ? local_ : heap_.data(); }

 private:
  alignas(16) std::uint8_t local_[2048];
  std::vector<std::uint8_t> heap_;
};

// A block of rows drawn by one call of a row function: `count` pixels a row, `rows` rows.
struct RowBlock {
  int count, rows;
};

// Rows that follow each other in memory without a gap on both sides, and without a pattern
// (whose one row does not follow on), are drawn as one long row: a row function then pays its
// costs per row once. Each side's step is compared with its row's length in bits, so that
// monochrome rows, whose pixels are bits, fold by the same test.
RowBlock folded(int count, int rows, std::ptrdiff_t dst_step, PixelFormat dst, std::ptrdiff_t src_step, PixelFormat src,
                const std::uint8_t* pattern) {
  const long long total = 1LL * count * rows;
  const auto whole = [count](std::ptrdiff_t step, PixelFormat f) { return 8LL * step == 1LL * count * bits_of(f); };
  if (rows > 1 && !pattern && total <= std::numeric_limits<int>::max() && whole(dst_step, dst) && whole(src_step, src))
    return {static_cast<int>(total), 1};
  return {count, rows};
}

// Whether every destination pixel of the columns takes the next source pixel: a plain blit,
// or one mirrored on both sides.
bool one_to_one(const AxisMap& cols) {
  if (cols.kind == AxisMap::Kind::Offset) return true;
  if (cols.kind == AxisMap::Kind::Runs || cols.merging) return false;
  for (int c = 1; c < cols.count(); ++c)
    if (cols.pick(c) != cols.pick(c - 1) + 1) return false;
  return true;
}

// Source rows as the destination's format wants them, for the columns of the job: converted
// by a function picked once, then taken pixel by pixel, merged, or run by run.
template <PixelFormat F>
class SourceRows {
 public:
  explicit SourceRows(const Job& job)
      : job_(job),
        convert_(span_conversion(job.src->format, F)),
        identity_(one_to_one(job.cols)),
        conv_(identity_ ? 0 : span_bytes(F, 0, job.cols.source_max - job.cols.source_min + 1) + 8) {
    const AxisMap& cols = job.cols;
    merge_cols_ = job.merge != Merge::None && cols.merging;
    colors_.source_background = pixel_of(job.src_bk_color, PixelFormat::Bgr24);  // compared with colour pixels
    colors_.zero = pixel_of(job.dst_text_color, F);
    colors_.one = pixel_of(job.dst_bk_color, F);
    if (identity_) return;
    // Colour stretches that take single pixels and enlarge on average go run by run.
    if constexpr (F != PixelFormat::Mono) {
      if (cols.kind == AxisMap::Kind::Runs) {
        runs_ = &cols.runs;
      } else if (!merge_cols_) {
        own_runs_ = column_runs(cols);
        if (own_runs_.size() * 2 <= static_cast<std::size_t>(cols.count())) runs_ = &own_runs_;
      }
    }
  }

  bool identity() const { return identity_; }

  // Source rows from sy on, `rows` of them, into rows of out `out_step` bytes apart at bit `bit`;
  // only for identity columns.
  void into_rows(int sy, int rows, std::uint8_t* out, std::ptrdiff_t out_step, int bit) {
    const AxisMap& cols = job_.cols;
    const RowBlock block = folded(cols.count(), rows, out_step, F, job_.src->stride, job_.src->format, nullptr);
    convert_(job_.src->row(sy), job_.src->stride, cols.pick(0), block.count, out, out_step, bit, block.rows, colors_);
  }

  // Source row sy, for the destination's columns, into out at bit `bit` (0 for colour).
  void into(int sy, std::uint8_t* out, int bit) {
    const AxisMap& cols = job_.cols;
    const std::uint8_t* srow = job_.src->row(sy);
    if (identity_) return convert_(srow, 0, cols.pick(0), cols.count(), out, 0, bit, 1, colors_);
    convert_(srow, 0, cols.source_min, cols.source_max - cols.source_min + 1, conv_.data(), 0, 0, 1, colors_);
    if constexpr (F != PixelFormat::Mono) {
      if (runs_) return fill_runs<F>(conv_.data(), cols.source_min, *runs_, out);
    }
    gather<F>(conv_.data(), cols.source_min, cols, merge_cols_ ? job_.merge : Merge::None, out, bit);
  }

 private:
  const Job& job_;
  SpanConversion convert_;
  bool identity_ = false, merge_cols_ = false;
  ConversionColors colors_;
  RowBuffer conv_;
  std::vector<ColumnRun> own_runs_;
  const std::vector<ColumnRun>* runs_ = nullptr;
};

template <PixelFormat F>
void draw_from_source(const Job& job, RopRows op, const std::uint8_t* pattern) {
  const AxisMap& cols = job.cols;
  const AxisMap& rows = job.rows;
  const int count = cols.count(), x0 = cols.first;
  const int bit = F == PixelFormat::Mono ? (x0 & 7) : 0;
  const std::size_t span = span_bytes(F, bit, count);
  SourceRows<F> source(job);
  const bool merge_rows = job.merge != Merge::None && rows.merging;
  const bool copy = job.index == 0xcc && !merge_rows;
  const bool same_format = source.identity() && job.src->format == F;
  // A copy between equal formats goes straight across; another copy is converted in place (the
  // conversion writes only the pixels it is given, monochrome bits included).
  const bool straight = copy && same_format;
  const bool in_place = copy;
  // Another operation between equal formats reads the source row where it lies (monochrome
  // rows when their bits line up), without a converted copy.
  const int sx = same_format ? cols.pick(0) : 0;  // the first source column, where it lines up
  const bool direct = !copy && !merge_rows && same_format && (F != PixelFormat::Mono || (sx & 7) == bit);
  // A monochrome source (a mask) drawn into 32-bit colour with another operation is turned into
  // colours as the operation reads it.
  const bool mono_direct =
      F == PixelFormat::Bgrx32 && !copy && !merge_rows && source.identity() && job.src->format == PixelFormat::Mono;
  const std::size_t source_offset =
      F == PixelFormat::Mono ? static_cast<std::size_t>(sx >> 3) : static_cast<std::size_t>(sx) * pixel_bytes(F);
  // Where the first destination pixel lies in its row.
  const std::size_t dest_offset =
      F == PixelFormat::Mono ? static_cast<std::size_t>(x0 >> 3) : static_cast<std::size_t>(x0) * pixel_bytes(F);
  RowBuffer row_buf(straight || in_place || direct || mono_direct ? 0 : span + 8), acc_buf(merge_rows ? span + 8 : 0);
  // Rows taken in order go to the row functions as one block.
  const bool rows_in_order = rows.kind == AxisMap::Kind::Offset;
  if (mono_direct) {
    const MonoSourceRopRows mono_op = mono_source_rop_rows(job.index);
    const int mono_sx = cols.pick(0);
    const std::uint32_t zero = pixel_of(job.dst_text_color, F), one = pixel_of(job.dst_bk_color, F);
    if (rows_in_order) {
      const RowBlock block =
          folded(count, rows.count(), job.dst->stride, F, job.src->stride, PixelFormat::Mono, pattern);
      return mono_op(job.dst->row(rows.first) + dest_offset, job.dst->stride, job.src->row(rows.pick(0)),
                     job.src->stride, mono_sx, pattern, block.count, block.rows, zero, one);
    }
    for (int r = 0; r < rows.count(); ++r)
      mono_op(job.dst->row(rows.first + r) + dest_offset, 0, job.src->row(rows.pick(r)), 0, mono_sx, pattern, count, 1,
              zero, one);
    return;
  }
  if (F != PixelFormat::Mono && direct && rows_in_order) {
    const RowBlock block = folded(count, rows.count(), job.dst->stride, F, job.src->stride, F, pattern);
    return op(job.dst->row(rows.first) + dest_offset, job.dst->stride, job.src->row(rows.pick(0)) + source_offset,
              job.src->stride, pattern, span_bytes(F, 0, block.count), block.rows);
  }
  if (in_place && !straight && source.identity() && rows_in_order)
    return source.into_rows(rows.pick(0), rows.count(), job.dst->row(rows.first) + dest_offset, job.dst->stride, bit);
  for (int r = 0; r < rows.count(); ++r) {
    std::uint8_t* drow = job.dst->row(rows.first + r);
    if (straight) {
      const std::uint8_t* srow = job.src->row(rows.pick(r));
      if constexpr (F == PixelFormat::Mono)
        copy_bits(drow, x0, srow, sx, count);
      else
        std::memcpy(drow + dest_offset, srow + source_offset, span);
      continue;
    }
    if (in_place) {
      source.into(rows.pick(r), drow + dest_offset, bit);
      continue;
    }
    if (direct) {
      apply_row<F>(op, drow, x0, count, job.src->row(rows.pick(r)) + source_offset, pattern);
      continue;
    }
    if (!merge_rows || rows.lo(r) == rows.hi(r)) {
      source.into(rows.pick(r), row_buf.data(), bit);
    } else {
      std::uint8_t* acc = acc_buf.data();
      std::uint8_t* row = row_buf.data();
      source.into(rows.lo(r), row, bit);
      for (int sy = rows.lo(r) + 1; sy <= rows.hi(r); ++sy) {
        source.into(sy, acc, bit);
        for (std::size_t i = 0; i < span; ++i) row[i] = job.merge == Merge::And ? (row[i] & acc[i]) : (row[i] | acc[i]);
      }
    }
    apply_row<F>(op, drow, x0, count, row_buf.data(), pattern);
  }
}

template <PixelFormat F>
void draw(const Job& job) {
  const int count = job.cols.count(), x0 = job.cols.first;
  std::vector<std::uint8_t> pattern;
  if (job.pattern) {
    pattern.resize(span_bytes(F, F == PixelFormat::Mono ? (x0 & 7) : 0, count));
    fill_pattern(pattern.data(), pattern.size(), F, pixel_of(job.pattern_color, F));
  }
  const RopRows op = rop_rows(job.index);
  const std::uint8_t* p = pattern.empty() ? nullptr : pattern.data();
  if (job.src) return draw_from_source<F>(job, op, p);
  if constexpr (F != PixelFormat::Mono) {
    // Destination only: the rows are always taken in order.
    return op(job.dst->row(job.rows.first) + static_cast<std::size_t>(x0) * pixel_bytes(F), job.dst->stride, nullptr, 0,
              p, span_bytes(F, 0, count), job.rows.count());
  }
  for (int r = 0; r < job.rows.count(); ++r) apply_row<F>(op, job.dst->row(job.rows.first + r), x0, count, nullptr, p);
}

// Draws the part of a blit inside one clip rectangle.
void draw_within(Job& job, const RECT& clip) {
  if (job.src) {
    if (job.plain) return plain_copy(*job.dst, clip, job.x, job.y, job.w, job.h, *job.src, job.sclip, job.sx, job.sy);
    // Colour columns enlarged in order are drawn run by run and need no list of picks.
    if (!build_axis(job.cols, job.x, job.w, job.sx, job.sw, clip.left, clip.right, job.sclip.left, job.sclip.right,
                    true, job.dst->format != PixelFormat::Mono))
      return;
    if (!build_axis(job.rows, job.y, job.h, job.sy, job.sh, clip.top, clip.bottom, job.sclip.top, job.sclip.bottom,
                    false))
      return;
  } else {
    // Destination only: the extents as a blit of the same size.
    if (!build_axis(job.cols, job.x, job.w, job.x, job.w, clip.left, clip.right, clip.left, clip.right, true)) return;
    if (!build_axis(job.rows, job.y, job.h, job.y, job.h, clip.top, clip.bottom, clip.top, clip.bottom, false)) return;
  }
  with_format(job.dst->format, [&](auto f) { draw<decltype(f)::value>(job); });
}

enum class Prepared { Failed, Nothing, Ready };

// Whether a plain copy within the clip rectangle writes every byte of its destination: all of
// its rows, each without padding.
bool copy_covers_surface(const Job& job, const RECT& clip) {
  const Surface& ds = *job.dst;
  const auto [x0, y0, x1, y1] = copy_box(clip, job.x, job.y, job.w, job.h, job.sclip, job.sx, job.sy);
  return x0 == 0 && y0 == 0 && x1 == ds.width && y1 == ds.height &&
         static_cast<std::size_t>(ds.width) * pixel_bytes(ds.format) == ds.row_bytes;
}

// Takes what the blit needs from its contexts into the job; the caller holds the platform lock.
Prepared prepare(const Blit& b, Job& job) {
  const DeviceContext& dc = *b.dst;
  if (!dc.surface) return Prepared::Failed;
  job.index = (b.rop >> 16) & 0xff;
  // Without a brush an operation that needs a pattern draws nothing (as Win32 does for
  // pattern blits).
  if (rop_uses_pattern(job.index)) {
    const BrushObject* brush = selected_brush(dc);
    if (!brush) return Prepared::Nothing;
    job.pattern = true;
    job.pattern_color = brush->logbrush.lbColor;
  }
  if (rop_uses_source(job.index)) {
    if (!b.src || !b.src->surface) return Prepared::Failed;
    const DeviceContext& src = *b.src;
    job.src = src.surface;
    src.surface->ready();  // cleared here, so that the pixel work never writes the flag
    job.copy_source = src.surface == dc.surface;
    job.plain = job.index == 0xcc && b.w == b.sw && b.h == b.sh && b.w > 0 && b.h > 0 && !job.copy_source &&
                src.surface->format == dc.surface->format;
    job.sclip = drawable_rect(src);
    job.sx = b.sx + src.origin.x, job.sy = b.sy + src.origin.y, job.sw = b.sw, job.sh = b.sh;
    job.src_bk_color = src.bk_color;
    // COLORONCOLOR takes single pixels; HALFTONE, which Win32 filters as it likes, does too.
    if (dc.stretch_mode == BLACKONWHITE)
      job.merge = Merge::And;
    else if (dc.stretch_mode == WHITEONBLACK)
      job.merge = Merge::Or;
  }
  job.dst_surface = dc.surface;
  job.dst = dc.surface.get();
  job.dst_text_color = dc.text_color;
  job.dst_bk_color = dc.bk_color;
  job.x = b.x + dc.origin.x, job.y = b.y + dc.origin.y, job.w = b.w, job.h = b.h;
  for_each_clip_rect(dc, [&](const RECT& clip) { job.clips.push_back(clip); });
  // A fresh destination is cleared here, under the lock, unless a plain copy is about to
  // overwrite every byte of it.
  if (job.plain && job.clips.size() == 1 && copy_covers_surface(job, job.clips[0]))
    job.dst->will_overwrite_all();
  else
    job.dst->ready();
  return Prepared::Ready;
}

// The pixel work of a prepared blit; needs no lock.
void execute(Job& job) {
  if (job.copy_source) {
    // Reading and writing one surface: work from a copy of the source, made once before any
    // clip rectangle is drawn, so that no pixel is read after it has been written.
    auto copy = std::make_shared<Surface>(*job.src);
    copy->top = copy->storage.data() + (job.src->top - job.src->storage.data());
    job.src = std::move(copy);
  }
  for (const RECT& clip : job.clips) draw_within(job, clip);
}

// Prepares under the platform lock; draws after letting `lock` go, or under the lock the
// caller holds when there is none to let go (the platform's own shapes).
bool run(const Blit& b, std::unique_lock<PlatformLock>* lock = nullptr) {
  Job job;
  const Prepared prepared = prepare(b, job);
  if (lock) lock->unlock();
  if (prepared == Prepared::Ready) execute(job);
  return prepared != Prepared::Failed;
}

}  // namespace

bool fill_with_brush(DeviceContext& dc, long long x, long long y, long long width, long long height) {
  Blit b;
  b.dst = &dc;
  b.x = x, b.y = y, b.w = width, b.h = height, b.rop = PATCOPY;
  return run(b);
}

}  // namespace veneer::headless::gdi

using namespace veneer::headless;
using namespace veneer::headless::gdi;

extern "C" {

BOOL WINAPI PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
  std::unique_lock lock(platform_lock());
  DeviceContext* d = find_context(dc);
  if (!d || raster::rop_uses_source((rop >> 16) & 0xff)) return FALSE;
  Blit b;
  b.dst = d;
  b.x = x, b.y = y, b.w = width, b.h = height, b.rop = rop;
  return run(b, &lock) ? TRUE : FALSE;
}

namespace {

// `function` names the call for the fault hook, asked under the same lock as the work.
BOOL stretch_blt(const char* function, HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y,
                 int src_width, int src_height, DWORD rop) {
  std::unique_lock lock(platform_lock());
  if (!call_allowed_held(function)) return FALSE;
  DeviceContext* d = find_context(dst);
  if (!d) return FALSE;
  Blit b;
  b.dst = d;
  b.x = x, b.y = y, b.w = width, b.h = height, b.rop = rop;
  if (raster::rop_uses_source((rop >> 16) & 0xff)) {
    b.src = find_context(src);
    if (!b.src) return FALSE;
    refresh_if_screen(*b.src);
    b.sx = src_x, b.sy = src_y, b.sw = src_width, b.sh = src_height;
  }
  return run(b, &lock) ? TRUE : FALSE;
}

}  // namespace

BOOL WINAPI StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, int src_width,
                       int src_height, DWORD rop) {
  return stretch_blt("StretchBlt", dst, x, y, width, height, src, src_x, src_y, src_width, src_height, rop);
}

BOOL WINAPI BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, DWORD rop) {
  return stretch_blt("BitBlt", dst, x, y, width, height, src, src_x, src_y, width, height, rop);
}

}  // extern "C"
