// Window regions from skin bitmaps: the bitmap's rectangle less its key-coloured pixels.
//
// A 32-bit DIB section's pixels are read where they lie; any other bitmap's are read in bulk,
// a band of rows at a time, through a 32-bit DIB section of our own. Each row becomes the
// runs of its non-key pixels, rows with the same runs merge into one band of rectangles, and
// the rectangles become the region a chunk at a time. The result is the same
// set as subtracting one unit square per key pixel from the whole rectangle, without a
// pixel read and a region operation per pixel.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
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

// Rectangles per ExtCreateRegion call, about. Some platforms (Wine among them) merge the
// rectangles of one call one at a time, at a cost that grows with the square of their
// number, so the calls get small chunks; the chunks' regions are then merged pairwise, like
// a binary counter, so that every rectangle takes part in a logarithmic number of merges
// instead of one merge per chunk into an ever larger region. Measured under Wine (64-bit),
// 58,000 rectangles: chunks of 2000 ORed one by one into the result 120 ms of CPU, chunks
// of 256 merged pairwise 20 to 30 ms.
// A chunk holds at least this many rectangles, but never ends inside a band.
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

  // Takes one band's rectangles (all with the same top and bottom, below every band taken
  // before). A chunk ends only between bands, so the chunks' regions lie one below the other
  // and every merge of two of them only puts bands after bands. False when the platform
  // cannot make or merge a region.
  bool add_band(const std::vector<Run>& runs, int top, int bottom) {
    const std::size_t needed = sizeof(RGNDATAHEADER) + (count_ + runs.size()) * sizeof(RECT);
    if (data_.size() < needed) data_.resize(needed);
    RECT* out = rects() + count_;
    for (const Run& r : runs) *out++ = RECT{r.left, top, r.right, bottom};
    count_ += runs.size();
    return count_ < kRectsPerChunk || flush_chunk();
  }

  // Merges everything collected into the working region.
  bool finish() {
    if (!flush_chunk()) return false;
    // The highest level holds the first chunks, the top of the bitmap: merging from there
    // down puts each level's bands below those already merged.
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it) {
      HRGN& level = *it;
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
// end follows no pattern a processor could predict). `edges` is working space: it grows only
// as far as a row's edges need, so a skin of few holes costs little memory however wide it is.
void row_runs(const std::uint32_t* row, int width, std::vector<Run>& runs, std::vector<int>& edges) {
  int count = 0;
  // Room for `more` edges past the ones found so far.
  auto room_for = [&](int more) {
    const std::size_t needed = static_cast<std::size_t>(count) + static_cast<std::size_t>(more);
    if (edges.size() < needed) edges.resize(std::max(needed, 2 * edges.size()));
    return edges.data();
  };
  int* edge = nullptr;  // set by room_for before each stretch of writes
  bool key = true;      // left of the row counts as key: a row starting with a run starts with an edge
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
    edge = room_for(16);
    const unsigned keys = key_mask(x) | key_mask(x + 4) << 4 | key_mask(x + 8) << 8 | key_mask(x + 12) << 12;
    // Bit i of `changes`: pixel x + i differs from the one before it.
    unsigned changes = (keys ^ (keys << 1 | (key ? 1u : 0u))) & 0xFFFFu;
    key = (keys >> 15) & 1u;
    for (; changes != 0; changes &= changes - 1) edge[count++] = x + std::countr_zero(changes);
  }
#endif
  edge = room_for(width - x + 1);
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

// Takes rows in order from the top, merges rows of the same runs into bands and hands the
// bands' rectangles to the builder.
class RowBands {
 public:
  RowBands(HRGN working, int width) : builder_(working), width_(width) {}

  // Takes row y (rows come in order from 0); false when the region cannot be made.
  bool take(int y, const std::uint32_t* row) {
    row_runs(row, width_, runs_, edges_);
    if (y > 0 && runs_ == band_runs_) return true;
    if (!emit(y)) return false;
    band_runs_.swap(runs_);
    band_top_ = y;
    return true;
  }

  // Ends the last band at `height` and merges everything into the working region.
  bool finish(int height) { return emit(height) && builder_.finish(); }

 private:
  // Emits the rectangles of the rows [band_top_, bottom) that share band_runs_.
  bool emit(int bottom) { return band_runs_.empty() || builder_.add_band(band_runs_, band_top_, bottom); }

  RegionBuilder builder_;
  std::vector<Run> runs_, band_runs_;
  std::vector<int> edges_;
  int width_;
  int band_top_ = 0;
};

// A top-down 32-bit DIB section of one band of rows, selected into a context of its own:
// pixels of any bitmap are blitted into it to be read in this one layout.
class BandSection {
 public:
  // False when the context or the section cannot be made.
  bool open(int width, int rows) {
    if (!open_memory_context(dc_, nullptr)) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -rows;  // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    if (!section_.Attach(::CreateDIBSection(dc_.m_hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) || !bits)
      return false;
    bits_ = static_cast<const std::uint32_t*>(bits);
    width_ = width;
    selection_.emplace(dc_.m_hDC, section_.m_hObject);
    return static_cast<bool>(*selection_);
  }

  // Reads `rows` rows of the bitmap selected into `from`, from row `top` on; false when the
  // blit fails.
  bool read(HDC from, int top, int rows) {
    if (!::BitBlt(dc_.m_hDC, 0, 0, width_, rows, from, 0, top, SRCCOPY)) return false;
    ::GdiFlush();  // the blit must have landed before its bits are read
    return true;
  }
  const std::uint32_t* row(int i) const {
    return bits_ + static_cast<std::size_t>(i) * static_cast<std::size_t>(width_);
  }

 private:
  // Declared so that they go in the reverse order: the selection, the section, the context.
  CDC dc_;
  CBitmap section_;
  std::optional<ScopedSelection> selection_;
  const std::uint32_t* bits_ = nullptr;
  int width_ = 0;
};

// The rows of a 32-bit DIB section in its own memory, in the order they lie there; empty for
// any other bitmap, or one whose masks put the colours elsewhere.
struct SectionRows {
  const std::uint8_t* first = nullptr;
  std::size_t stride = 0;
  const std::uint32_t* row(int i) const {
    return reinterpret_cast<const std::uint32_t*>(first + static_cast<std::size_t>(i) * stride);
  }
};
SectionRows section_rows(HBITMAP bitmap) {
  DIBSECTION section{};
  if (::GetObject(bitmap, sizeof section, &section) != static_cast<int>(sizeof section) || !section.dsBm.bmBits ||
      section.dsBm.bmBitsPixel != 32 || section.dsBm.bmPlanes != 1)
    return {};
  const DWORD compression = section.dsBmih.biCompression;
  const bool standard_masks =
      compression == BI_RGB || (compression == BI_BITFIELDS && section.dsBitfields[0] == 0xFF0000 &&
                                section.dsBitfields[1] == 0xFF00 && section.dsBitfields[2] == 0xFF);
  if (!standard_masks) return {};
  return {static_cast<const std::uint8_t*>(section.dsBm.bmBits), static_cast<std::size_t>(section.dsBm.bmWidthBytes)};
}

// The first column where two rows of 32-bit pixels differ in colour (the unused byte is
// ignored), or -1.
int first_difference(const std::uint32_t* a, const std::uint32_t* b, int width) {
  for (int x = 0; x < width; ++x)
    if (((a[x] ^ b[x]) & 0xFFFFFF) != 0) return x;
  return -1;
}

// Whether the section's first row in memory is its top row. The section's record does not
// say, so the first pixel whose colour differs from its mirror (row height-1-k in memory, same
// column) decides: the platform's reading of that pixel of the top row k is compared with
// memory row k. A section whose every row equals its mirror reads the same either way. False
// when the platform cannot read the pixel.
bool find_row_order(const SectionRows& rows, int width, int height, HDC bitmap_dc, bool& top_down) {
  top_down = true;
  for (int k = 0; k < height / 2; ++k) {
    const int x = first_difference(rows.row(k), rows.row(height - 1 - k), width);
    if (x < 0) continue;
    const COLORREF top = ::GetPixel(bitmap_dc, x, k);
    if (top == CLR_INVALID) return false;
    const std::uint32_t pixel = rows.row(k)[x];
    top_down = top == RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    return true;
  }
  return true;
}

// Builds the region of `bitmap`, selected into `bitmap_dc`, into `working`; false when the
// pixels cannot be read or the region cannot be made. A 32-bit DIB section is read where its
// pixels lie; any other bitmap is blitted into a 32-bit section a band of rows at a time.
bool build_region(HBITMAP bitmap, HDC bitmap_dc, int width, int height, HRGN working) {
  RowBands bands(working, width);
  const SectionRows rows = section_rows(bitmap);
  if (rows.first) {
    ::GdiFlush();  // drawing still queued for the section lands before its bits are read
    bool top_down = true;
    if (!find_row_order(rows, width, height, bitmap_dc, top_down)) return false;
    for (int y = 0; y < height; ++y)
      if (!bands.take(y, rows.row(top_down ? y : height - 1 - y))) return false;
    return bands.finish(height);
  }
  const int band_rows = static_cast<int>(std::clamp<std::int64_t>(kBandBytes / (4LL * width), 1, height));
  BandSection band;
  if (!band.open(width, band_rows)) return false;
  for (int top = 0; top < height; top += band_rows) {
    const int count = std::min(band_rows, height - top);
    if (!band.read(bitmap_dc, top, count)) return false;
    for (int i = 0; i < count; ++i)
      if (!bands.take(top + i, band.row(i))) return false;
  }
  return bands.finish(height);
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
      if (!build_region(static_cast<HBITMAP>(bitmap->m_hObject), bitmap_dc.m_hDC, width, height,
                        static_cast<HRGN>(working.m_hObject)))
        return 0;
    } catch (const std::bad_alloc&) {
      return 0;  // the rows' runs did not fit in memory
    }
  }
  // Only a finished region replaces what the caller's object held.
  region->DeleteObject();
  region->Attach(working.Detach());
  return 1;
}
