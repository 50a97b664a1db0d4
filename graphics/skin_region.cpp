// Window regions from skin bitmaps: the bitmap's rectangle less its key-coloured pixels.
//
// The pixels are read in bulk, a band of rows at a time, through a 32-bit DIB section; each
// row becomes the runs of its non-key pixels, rows with the same runs merge into one band of
// rectangles, and the rectangles become the region a chunk at a time. The result is the same
// set as subtracting one unit square per key pixel from the whole rectangle, without a
// pixel read and a region operation per pixel.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "frame/platform.h"
#include "graphics/drawing_support.h"
#include <veneer/veneer.h>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VENEER_SKIN_SSE2 1
#else
#define VENEER_SKIN_SSE2 0
#endif

using veneer::graphics::kSkinKeyColor;
using veneer::graphics::open_memory_context;
using veneer::graphics::ScopedSelection;

namespace {

// Rectangles per ExtCreateRegion call. Some platforms (Wine among them) merge the
// rectangles of one call one at a time, at a cost that grows with the square of their
// number, so the calls get small chunks; the chunks' regions are then merged pairwise, like
// a binary counter, so that every rectangle takes part in a logarithmic number of merges
// instead of one merge per chunk into an ever larger region. Measured under Wine (64-bit),
// 58,000 rectangles: chunks of 2000 ORed one by one into the result 120 ms of CPU, chunks
// of 256 merged pairwise 20 to 30 ms.
constexpr std::size_t kRectsPerChunk = 256;
// Bytes of pixels read per band of rows (at least one row).
constexpr std::int64_t kBandBytes = 1 << 20;

// In a 32-bit DIB a pixel is blue, green, red and an unused byte: 0x00RRGGBB read as a
// little-endian value. The unused byte is ignored.
constexpr std::uint32_t kKeyPixel =
    (GetRValue(kSkinKeyColor) << 16) | (GetGValue(kSkinKeyColor) << 8) | GetBValue(kSkinKeyColor);

struct Run {
  int left, right;
  bool operator==(const Run&) const = default;
};

// Collects rectangles into the working region: a chunk at a time into regions of their
// own, which merge pairwise (levels_[k] holds 2^k chunks) and finally into the working one.
class RegionBuilder {
 public:
  explicit RegionBuilder(HRGN working) : working_(working) {
    data_.resize(sizeof(RGNDATAHEADER) + kRectsPerChunk * sizeof(RECT));
  }
  ~RegionBuilder() {
    for (HRGN level : levels_)
      if (level) ::DeleteObject(level);
  }
  RegionBuilder(const RegionBuilder&) = delete;
  RegionBuilder& operator=(const RegionBuilder&) = delete;

  // False when the platform cannot make or merge a region.
  bool add(int left, int top, int right, int bottom) {
    rects()[count_++] = RECT{left, top, right, bottom};
    return count_ < kRectsPerChunk || flush_chunk();
  }

  // Merges everything collected into the working region.
  bool finish() {
    if (!flush_chunk()) return false;
    for (HRGN& level : levels_) {
      if (!level) continue;
      const bool merged = ::CombineRgn(working_, working_, level, RGN_OR) != ERROR;
      ::DeleteObject(level);
      level = nullptr;
      if (!merged) return false;
    }
    return true;
  }

 private:
  RECT* rects() { return reinterpret_cast<RECT*>(data_.data() + sizeof(RGNDATAHEADER)); }

  bool flush_chunk() {
    if (count_ == 0) return true;
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data_.data());
    *header = RGNDATAHEADER{};
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(count_);
    header->nRgnSize = static_cast<DWORD>(count_ * sizeof(RECT));
    RECT bound = rects()[0];
    for (std::size_t i = 1; i < count_; ++i) {
      const RECT& r = rects()[i];
      bound = RECT{std::min(bound.left, r.left), std::min(bound.top, r.top), std::max(bound.right, r.right),
                   std::max(bound.bottom, r.bottom)};
    }
    header->rcBound = bound;
    HRGN chunk = ::ExtCreateRegion(nullptr, static_cast<DWORD>(sizeof(RGNDATAHEADER) + count_ * sizeof(RECT)),
                                   reinterpret_cast<const RGNDATA*>(data_.data()));
    count_ = 0;
    if (!chunk) return false;
    std::size_t k = 0;
    for (; k < levels_.size() && levels_[k]; ++k) {
      const bool merged = ::CombineRgn(levels_[k], levels_[k], chunk, RGN_OR) != ERROR;
      ::DeleteObject(chunk);
      chunk = levels_[k];
      levels_[k] = nullptr;
      if (!merged) {
        ::DeleteObject(chunk);
        return false;
      }
    }
    if (k == levels_.size()) {
      try {
        levels_.push_back(chunk);
      } catch (...) {
        ::DeleteObject(chunk);
        throw;
      }
    } else {
      levels_[k] = chunk;
    }
    return true;
  }

  HRGN working_;
  std::vector<unsigned char> data_;
  std::size_t count_ = 0;
  std::vector<HRGN> levels_;
};

// The runs of non-key pixels of one row of 32-bit pixels. The columns where the pixels change
// between key and non-key (the edges) are found first: sixteen pixels at a time where the
// processor compares four at once, the rest without a branch per pixel (where holes begin and
// end follows no pattern a processor could predict). `edges` holds width + 1 values.
void row_runs(const std::uint32_t* row, int width, std::vector<Run>& runs, std::vector<int>& edges) {
  int* edge = edges.data();
  int count = 0;
  bool key = true;  // left of the row counts as key: a row starting with a run starts with an edge
  int x = 0;
#if VENEER_SKIN_SSE2
  const __m128i colour_bytes = _mm_set1_epi32(0xFFFFFF);
  const __m128i key_pixels = _mm_set1_epi32(static_cast<int>(kKeyPixel));
  auto key_mask = [&](int at) {  // bit i: pixel at + i is key
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + at));
    const __m128i equal = _mm_cmpeq_epi32(_mm_and_si128(pixels, colour_bytes), key_pixels);
    return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(equal)));
  };
  for (; x + 16 <= width; x += 16) {
    const unsigned keys = key_mask(x) | key_mask(x + 4) << 4 | key_mask(x + 8) << 8 | key_mask(x + 12) << 12;
    // Bit i of `changes`: pixel x + i differs from the one before it.
    unsigned changes = (keys ^ (keys << 1 | (key ? 1u : 0u))) & 0xFFFFu;
    key = (keys >> 15) & 1u;
    for (; changes != 0; changes &= changes - 1) edge[count++] = x + std::countr_zero(changes);
  }
#endif
  for (; x < width; ++x) {
    const bool is_key = (row[x] & 0xFFFFFF) == kKeyPixel;
    edge[count] = x;
    count += is_key != key;
    key = is_key;
  }
  if (!key) edge[count++] = width;
  runs.clear();
  for (int i = 0; i < count; i += 2) runs.push_back(Run{edge[i], edge[i + 1]});
}

// Builds the region of the bitmap selected into `bitmap_dc` into `working`; false when the
// pixels cannot be read or the region cannot be made.
bool build_region(HDC bitmap_dc, int width, int height, HRGN working) {
  RegionBuilder builder(working);
  std::vector<Run> runs, band_runs;
  std::vector<int> edges(static_cast<std::size_t>(width) + 1);
  int band_top = 0;
  // Emits the rectangles of the rows [band_top, bottom) that share band_runs.
  auto emit = [&](int bottom) {
    for (const Run& r : band_runs)
      if (!builder.add(r.left, band_top, r.right, bottom)) return false;
    return true;
  };
  // Takes row y (rows come in order from 0).
  auto take_row = [&](int y, const std::uint32_t* row) {
    row_runs(row, width, runs, edges);
    if (y > 0 && runs == band_runs) return true;
    if (!emit(y)) return false;
    band_runs.swap(runs);
    band_top = y;
    return true;
  };

  const int band_rows = static_cast<int>(std::clamp<std::int64_t>(kBandBytes / (4LL * width), 1, height));
  CDC band_dc;
  if (!open_memory_context(band_dc, nullptr)) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -band_rows;  // top-down: row 0 first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  CBitmap band;
  if (!band.Attach(::CreateDIBSection(band_dc.m_hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) || !bits) return false;
  ScopedSelection band_selection(band_dc.m_hDC, band.m_hObject);
  if (!band_selection) return false;
  for (int top = 0; top < height; top += band_rows) {
    const int rows = std::min(band_rows, height - top);
    if (!::BitBlt(band_dc.m_hDC, 0, 0, width, rows, bitmap_dc, 0, top, SRCCOPY)) return false;
    ::GdiFlush();  // the blit must have landed before its bits are read
    for (int i = 0; i < rows; ++i)
      if (!take_row(top + i, static_cast<const std::uint32_t*>(bits) + static_cast<std::size_t>(i) * width))
        return false;
  }
  return emit(height) && builder.finish();
}

}  // namespace

int AfxCreateSkinRegion(CBitmap* bitmap, CRgn* region) {
  if (!bitmap || !bitmap->m_hObject || !region) return 0;
  BITMAP description{};
  if (!bitmap->GetBitmap(&description)) return 0;
  const int width = description.bmWidth;
  const int height = description.bmHeight;

  CRgn working;
  if (!working.CreateRectRgn(0, 0, 0, 0)) return 0;
  if (width > 0 && height > 0) {
    CDC bitmap_dc;
    if (!open_memory_context(bitmap_dc, nullptr)) return 0;
    ScopedSelection selection(bitmap_dc.m_hDC, bitmap->m_hObject);
    if (!selection) return 0;
    try {
      if (!build_region(bitmap_dc.m_hDC, width, height, static_cast<HRGN>(working.m_hObject))) return 0;
    } catch (const std::bad_alloc&) {
      return 0;  // the rows' runs did not fit in memory
    }
  }
  // Only a finished region replaces what the caller's object held.
  region->DeleteObject();
  region->Attach(working.Detach());
  return 1;
}
