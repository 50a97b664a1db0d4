// cairo's linear gradient into an image surface, against the library's gradient fill, and
// pixman's blit of the 1024x1024 32-bit block, against the library's blit.
#include <cairo.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

#include "bench/scenes.h"
#include "bench/workloads.h"

namespace veneer::bench {

namespace {

struct GradientState {
  explicit GradientState(bool vertical) {
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, Gradient::kWidth, Gradient::kHeight);
    cr = cairo_create(surface);
    // The library's colour at pixel x is from + (to - from) * x / width; cairo samples pixel
    // centres, so the same line runs from 0.5 to width + 0.5.
    const double length = vertical ? Gradient::kHeight : Gradient::kWidth;
    pattern = vertical ? cairo_pattern_create_linear(0, 0.5, 0, length + 0.5)
                       : cairo_pattern_create_linear(0.5, 0, length + 0.5, 0);
    for (auto [offset, colour] : {std::pair{0.0, Gradient::kFrom}, std::pair{1.0, Gradient::kTo}})
      cairo_pattern_add_color_stop_rgb(pattern, offset, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0,
                                       GetBValue(colour) / 255.0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source(cr, pattern);
  }
  ~GradientState() {
    cairo_pattern_destroy(pattern);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  GradientState(const GradientState&) = delete;
  GradientState& operator=(const GradientState&) = delete;
  bool ready() const {
    return cairo_status(cr) == CAIRO_STATUS_SUCCESS && cairo_pattern_status(pattern) == CAIRO_STATUS_SUCCESS;
  }
  void fill() {
    cairo_paint(cr);
    cairo_surface_flush(surface);
  }
  Pixels read() const {
    Pixels out{Gradient::kWidth, Gradient::kHeight, std::vector<std::uint32_t>(Gradient::kWidth * Gradient::kHeight)};
    const auto* bits = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < Gradient::kHeight; ++y)
      std::memcpy(&out.at(0, y), bits + static_cast<std::ptrdiff_t>(stride) * y, 4u * Gradient::kWidth);
    for (auto& v : out.data) v &= 0xFFFFFF;
    return out;
  }
  cairo_surface_t* surface;
  cairo_t* cr;
  cairo_pattern_t* pattern;
};

Prepared prepare_gradient(bool vertical) {
  auto s = std::make_shared<GradientState>(vertical);
  return prepared<GradientState>(s, s->ready(), [](GradientState& st) { st.fill(); });
}

// Equivalent: every channel within 1 of the library's. Both place the colours alike;
// cairo interpolates in 16 bits and rounds, the library truncates.
std::string check_gradient(bool vertical) {
  GradientState s(vertical);
  if (!s.ready()) return "cairo could not be set up";
  s.fill();
  return compare_pixels(library_gradient(vertical), s.read(), 1);
}

constexpr int kBlitSide = 1024;

struct BlitState {
  Dib source{picture(kBlitSide, kBlitSide), 32};
  Dib target{Pixels{kBlitSide, kBlitSide, std::vector<std::uint32_t>(kBlitSide* kBlitSide)}, 32};
  explicit operator bool() const { return source && target; }
  bool blit() const {
    return pixman_blt(source.row32(0), target.row32(0), static_cast<int>(source.stride32()),
                      static_cast<int>(target.stride32()), 32, 32, 0, 0, 0, 0, kBlitSide, kBlitSide);
  }
};

Prepared prepare_blit() {
  auto s = std::make_shared<BlitState>();
  return prepared<BlitState>(s, static_cast<bool>(*s), [](BlitState& st) {
    if (!st.blit()) throw std::runtime_error("pixman_blt refused the blit");
  });
}

std::string check_blit() {
  BlitState s;
  if (!s) return "no DIB section";
  if (!s.blit()) return "pixman_blt refused the blit";
  return compare_pixels(library_blit(picture(kBlitSide, kBlitSide)), s.target.read(), 0);
}

}  // namespace

void add_cairo_pixman_workloads(std::vector<Workload>& list) {
  for (bool vertical : {false, true}) {
    list.push_back(Workload{vertical ? "cairo_gradient_800x600_v" : "cairo_gradient_800x600_h",
                            "cairo linear gradient painted (SOURCE) into an 800x600 RGB24 image surface", false, false,
                            [vertical] { return prepare_gradient(vertical); },
                            [vertical] { return check_gradient(vertical); }});
  }
  list.push_back(Workload{"pixman_blit_1024x1024", "pixman_blt, 1024x1024 32-bit between the same sections' memory",
                          false, false, prepare_blit, check_blit});
}

}  // namespace veneer::bench
