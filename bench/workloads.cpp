#include "bench/workloads.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "bench/comparisons.h"
#include "bench/drawing_workload.h"
#include "bench/scenes.h"
#include "bench/skins.h"
#include <veneer/framework/afx_gdi.h>
#include <veneer/veneer.h>

namespace veneer::bench {

namespace {

// 1024x1024 32-bit pixels: the bytes the blit, the copy and memcpy move.
constexpr int kBlockSide = 1024;

Prepared prepare_memcpy() {
  struct State {
    std::vector<unsigned char> from = std::vector<unsigned char>(4u * kBlockSide * kBlockSide, 1);
    std::vector<unsigned char> to = std::vector<unsigned char>(4u * kBlockSide * kBlockSide, 0);
  };
  return prepared<State>(std::make_shared<State>(), true, [](State& s) {
    std::memcpy(s.to.data(), s.from.data(), s.from.size());
    keep(s.to.data());
  });
}

// The same memcpy into one of two targets in turn: what a copy into a new bitmap costs when the
// bitmap it replaces lives until the copy is whole (three 4 MiB buffers in play, not two).
Prepared prepare_memcpy_alternating() {
  struct State {
    std::vector<unsigned char> from = std::vector<unsigned char>(4u * kBlockSide * kBlockSide, 1);
    std::vector<unsigned char> to[2] = {std::vector<unsigned char>(from.size(), 0),
                                        std::vector<unsigned char>(from.size(), 0)};
    unsigned next = 0;
  };
  return prepared<State>(std::make_shared<State>(), true, [](State& s) {
    unsigned char* to = s.to[s.next ^= 1].data();
    std::memcpy(to, s.from.data(), s.from.size());
    keep(to);
  });
}

// The floor of a gradient fill: the bytes of 800x600 32-bit pixels set to one value.
Prepared prepare_bare_fill() {
  struct State {
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(800u * 600u);
    std::uint32_t value = 0;
  };
  return prepared<State>(std::make_shared<State>(), true, [](State& s) {
    // Whole 64-byte blocks of the value, which the compiler stores with its widest moves.
    std::uint32_t block[16];
    std::fill(std::begin(block), std::end(block), ++s.value);
    auto* out = reinterpret_cast<unsigned char*>(s.pixels.data());
    for (std::size_t i = 0; i < s.pixels.size() * 4; i += sizeof block) std::memcpy(out + i, block, sizeof block);
    keep(s.pixels.data());
  });
}

Prepared prepare_normal_blit() {
  struct State {
    Surface target{make_dib(picture(kBlockSide, kBlockSide), 32)};
    CBitmap source;
  };
  auto s = std::make_shared<State>();
  s->source.Attach(make_dib(picture(kBlockSide, kBlockSide), 32));
  return prepared<State>(s, s->target && s->source.m_hObject, [](State& st) {
    AfxDrawNormalBitmap(&st.target.dc, &st.source, CPoint(0, 0), CRect(0, 0, kBlockSide, kBlockSide));
  });
}

Prepared prepare_three_slice() {
  struct State {
    Surface target{make_dib(picture(ThreeSlice::kTargetWidth, ThreeSlice::kTargetHeight), 32)};
    CBitmap skin;
  };
  auto s = std::make_shared<State>();
  s->skin.Attach(make_dib(picture(ThreeSlice::kSkinSide, ThreeSlice::kSkinSide), 32));
  return prepared<State>(s, s->target && s->skin.m_hObject, [](State& st) {
    // A 10-pixel strip: 4-pixel caps and a 2-pixel middle stretched to 792 pixels.
    AfxDrawHoriRectEx(&st.target.dc, &st.skin, CPoint(ThreeSlice::kSourceX, ThreeSlice::kSourceY),
                      ThreeSlice::kSourceWidth, ThreeSlice::kHeight,
                      CRect(0, ThreeSlice::kDestY, ThreeSlice::kTargetWidth, ThreeSlice::kDestY + ThreeSlice::kHeight),
                      ThreeSlice::kCap, ThreeSlice::kCap);
  });
}

// The transparent blits: a 64x64 block of a 1024x1024 skin (a fifth of it key-coloured)
// into an 800x600 target.
struct TransState {
  Surface target{make_dib(picture(KeyedBlock::kTargetWidth, KeyedBlock::kTargetHeight), 32)};
  CBitmap skin;
  static constexpr int kSourceX = KeyedBlock::kSourceX, kSourceY = KeyedBlock::kSourceY;
  static CRect dest() {
    return CRect(KeyedBlock::kDestX, KeyedBlock::kDestY, KeyedBlock::kDestX + KeyedBlock::kSide,
                 KeyedBlock::kDestY + KeyedBlock::kSide);
  }
};

std::shared_ptr<TransState> trans_state() {
  auto s = std::make_shared<TransState>();
  s->skin.Attach(make_dib(keyed_block_skin(), 32));
  return s;
}

Prepared prepare_trans_blit() {
  auto s = trans_state();
  return prepared<TransState>(s, s->target && s->skin.m_hObject, [](TransState& st) {
    AfxDrawTransBitmap(&st.target.dc, &st.skin, CPoint(TransState::kSourceX, TransState::kSourceY), TransState::dest(),
                       kKeyColor);
  });
}

Prepared prepare_whole_source_trans_blit() {
  auto s = trans_state();
  return prepared<TransState>(s, s->target && s->skin.m_hObject, [](TransState& st) {
    whole_source_trans_blit(st.target.dc.m_hDC, static_cast<HBITMAP>(st.skin.m_hObject), TransState::kSourceX,
                            TransState::kSourceY, TransState::dest(), kKeyColor);
  });
}

// The keyed draw's five blits alone, between contexts and bitmaps made once, with the colours
// each blit needs: the pixel work of the export's calls without the calls that make, select
// and remove its objects. Its time is the least the export's sequence of calls can take.
struct KeyedPasses {
  static constexpr int kSide = KeyedBlock::kSide;
  Surface target{make_dib(picture(KeyedBlock::kTargetWidth, KeyedBlock::kTargetHeight), 32)};
  Surface skin{make_dib(keyed_block_skin(), 32)};
  Surface image{target.dc.m_hDC ? ::CreateCompatibleBitmap(target.dc.m_hDC, kSide, kSide) : nullptr};
  Surface mask{::CreateBitmap(kSide, kSide, 1, 1, nullptr)};
  KeyedPasses() {
    target.dc.SetBkColor(RGB(255, 255, 255));
    target.dc.SetTextColor(RGB(0, 0, 0));
  }
  explicit operator bool() const { return target && skin && image && mask; }
  void draw() {
    ::BitBlt(image.dc.m_hDC, 0, 0, kSide, kSide, skin.dc.m_hDC, KeyedBlock::kSourceX, KeyedBlock::kSourceY, SRCCOPY);
    keyed_mask_blits(target.dc.m_hDC, KeyedBlock::kDestX, KeyedBlock::kDestY, kSide, kSide, image.dc.m_hDC, 0, 0,
                     mask.dc.m_hDC, kKeyColor);
  }
  Pixels read() const { return read_pixels(static_cast<HBITMAP>(target.bitmap.m_hObject)); }
};

#ifdef _WIN32
// The platform's own colour-keyed blit of the same block, from a context prepared once.
Prepared prepare_transparent_blt() {
  struct State {
    Surface target{make_dib(picture(KeyedBlock::kTargetWidth, KeyedBlock::kTargetHeight), 32)};
    Surface skin{make_dib(keyed_block_skin(), 32)};
  };
  auto s = std::make_shared<State>();
  return prepared<State>(s, s->target && s->skin, [](State& st) {
    const CRect d = TransState::dest();
    ::TransparentBlt(st.target.dc.m_hDC, d.left, d.top, d.Width(), d.Height(), st.skin.dc.m_hDC, TransState::kSourceX,
                     TransState::kSourceY, d.Width(), d.Height(), kKeyColor);
  });
}
#endif

Prepared prepare_gray(int width, int height) {
  struct State {
    CBitmap bitmap;
  };
  auto s = std::make_shared<State>();
  s->bitmap.Attach(make_dib(picture(width, height), 24));
  // Repeated conversion darkens the pixels towards black; the work per pixel stays the same.
  return prepared<State>(s, s->bitmap.m_hObject != nullptr, [](State& st) { AfxConvertToGray24(&st.bitmap); });
}

Prepared prepare_region(Pixels skin) {
  struct State {
    CBitmap bitmap;
    CRgn region;
  };
  auto s = std::make_shared<State>();
  s->bitmap.Attach(make_dib(skin, 32));
  // Each call replaces (and destroys) the region the previous call made.
  Prepared p = prepared<State>(s, s->bitmap.m_hObject != nullptr, [](State& st) {
    if (!AfxCreateSkinRegion(&st.bitmap, &st.region)) throw std::runtime_error("AfxCreateSkinRegion failed");
  });
  if (p.run && AfxCreateSkinRegion(&s->bitmap, &s->region))
    p.counters.emplace_back("rects", static_cast<double>(region_rects(static_cast<HRGN>(s->region.m_hObject)).size()));
  return p;
}

Prepared prepare_per_pixel_region(int width, int height) {
  struct State {
    CBitmap bitmap;
  };
  auto s = std::make_shared<State>();
  s->bitmap.Attach(make_dib(holed_skin(width, height, 0.2), 32));
  return prepared<State>(s, s->bitmap.m_hObject != nullptr, [](State& st) {
    HRGN region = per_pixel_skin_region(static_cast<HBITMAP>(st.bitmap.m_hObject));
    if (!region) throw std::runtime_error("the per-pixel region could not be made");
    ::DeleteObject(region);
  });
}

Prepared prepare_copy() {
  struct State {
    CBitmap source;
    CBitmap copy;
  };
  auto s = std::make_shared<State>();
  s->source.Attach(make_dib(picture(kBlockSide, kBlockSide), 32));
  return prepared<State>(s, s->source.m_hObject != nullptr, [](State& st) {
    if (!AfxCopyBitmap(&st.source, &st.copy)) throw std::runtime_error("AfxCopyBitmap failed");
  });
}

Prepared prepare_gradient(int vertical) {
  struct State {
    Surface target{make_dib(picture(Gradient::kWidth, Gradient::kHeight), 32)};
    int vertical = 0;
  };
  auto s = std::make_shared<State>();
  s->vertical = vertical;
  return prepared<State>(s, static_cast<bool>(s->target), [](State& st) {
    CRect all(0, 0, Gradient::kWidth, Gradient::kHeight);
    AfxGradientFillRect(&st.target.dc, all, Gradient::kFrom, Gradient::kTo, st.vertical);
  });
}

std::vector<Workload> make_workloads() {
  std::vector<Workload> list;
  auto add = [&](std::string name, std::string description, std::function<Prepared()> prepare) -> Workload& {
    list.push_back(Workload{std::move(name), std::move(description), false, false, std::move(prepare)});
    return list.back();
  };
  add("memcpy_4MiB", "memcpy of 4 MiB, the bytes of a 1024x1024 32-bit bitmap", prepare_memcpy);
  add("blit_1024x1024", "AfxDrawNormalBitmap, 1024x1024 32-bit SRCCOPY between memory contexts", prepare_normal_blit);
  add("copy_1024x1024", "AfxCopyBitmap, 1024x1024 32-bit", prepare_copy);
  add("memcpy_4MiB_two_targets", "memcpy of 4 MiB into one of two targets in turn, as a copy into a new bitmap",
      prepare_memcpy_alternating);
  add("three_slice_800x30", "AfxDrawHoriRectEx, 800x30 strip, 4-pixel caps, 2-pixel middle", prepare_three_slice);
  add("trans_64_of_1024", "AfxDrawTransBitmap, 64x64 block of a 1024x1024 skin into 800x600", prepare_trans_blit);
  add("trans_64_whole_copy", "the mask blit copying the whole 1024x1024 source, same block",
      prepare_whole_source_trans_blit);
  add("trans_64_five_blits", "the same block's five blits alone, between contexts made once",
      prepare_drawing<KeyedPasses>)
      .check = [] { return check_drawing<KeyedPasses>(library_keyed_block, 0); };
#ifdef _WIN32
  add("transparentblt_64", "TransparentBlt of the same 64x64 block", prepare_transparent_blt);
#else
  add("transparentblt_64", "TransparentBlt of the same 64x64 block", [] { return Prepared{}; });
#endif
  list.back().windows_only = true;
  add("gray_1920x1080", "AfxConvertToGray24, 1920x1080 24-bit", [] { return prepare_gray(kGrayWidth, kGrayHeight); });
  add("gray_256x256", "AfxConvertToGray24, 256x256 24-bit", [] { return prepare_gray(256, 256); });
  add("gray_2048x1536", "AfxConvertToGray24, 2048x1536 24-bit", [] { return prepare_gray(2048, 1536); });
  add("region_holes_1024x768", "AfxCreateSkinRegion, 1024x768, 20% key in 4x4 holes",
      [] { return prepare_region(region_skin(false)); });
  add("region_holes_256x256", "AfxCreateSkinRegion, 256x256, 20% key in 4x4 holes",
      [] { return prepare_region(holed_skin(256, 256, 0.2)); });
  add("region_holes_2048x1536", "AfxCreateSkinRegion, 2048x1536, 20% key in 4x4 holes",
      [] { return prepare_region(holed_skin(2048, 1536, 0.2)); });
  add("region_rounded_1024x768", "AfxCreateSkinRegion, 1024x768, rounded corners, 2-pixel key border",
      [] { return prepare_region(region_skin(true)); });
  add("region_per_pixel_1024x768", "per-pixel reference: GetPixel and a 1x1 RGN_DIFF per key pixel",
      [] { return prepare_per_pixel_region(1024, 768); });
  list.back().slow = true;
  add("gradient_800x600_h", "AfxGradientFillRect, 800x600, horizontal", [] { return prepare_gradient(0); });
  add("gradient_800x600_v", "AfxGradientFillRect, 800x600, vertical", [] { return prepare_gradient(1); });
  add("fill_800x600", "one value stored into the same 800x600 32-bit pixels", prepare_bare_fill);
  add_plain_workloads(list);
  add_thread_workloads(list);
  add_desktop_workloads(list);
#ifdef VENEER_BENCH_OPENCV
  add_opencv_workloads(list);
#endif
#ifdef VENEER_BENCH_QT
  add_qt_workloads(list);
#endif
#ifdef VENEER_BENCH_CAIRO_PIXMAN
  add_cairo_pixman_workloads(list);
#endif
  return list;
}

}  // namespace

const std::vector<Workload>& workloads() {
  static const std::vector<Workload> list = make_workloads();
  return list;
}

}  // namespace veneer::bench
