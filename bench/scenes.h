// The pictures the comparison workloads draw, in one place: their sizes and parameters, and
// what the library makes of each. A peer or a plain loop is timed only after its output has
// been checked against the library's output of the same scene (see Workload::check).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/skins.h"

namespace veneer::bench {

// Grayscale: a 1920x1080 24-bit DIB section of picture().
inline constexpr int kGrayWidth = 1920, kGrayHeight = 1080;

// The keyed block: 64x64 of a 1024x1024 skin, a fifth of it key, into an 800x600 target.
struct KeyedBlock {
  static constexpr int kSkinSide = 1024, kTargetWidth = 800, kTargetHeight = 600;
  static constexpr int kSourceX = 320, kSourceY = 448, kDestX = 100, kDestY = 100, kSide = 64;
};
Pixels keyed_block_skin();

// The three-slice strip: a 10x30 block of a 64x64 skin at (8,16), 4-pixel caps, drawn as
// 800x30 at y 100 of an 800x600 target.
struct ThreeSlice {
  static constexpr int kSkinSide = 64, kTargetWidth = 800, kTargetHeight = 600;
  static constexpr int kSourceX = 8, kSourceY = 16, kSourceWidth = 10, kHeight = 30;
  static constexpr int kDestY = 100, kCap = 4;
};

// The gradient: 800x600, from one colour to the other, horizontal or vertical.
struct Gradient {
  static constexpr int kWidth = 800, kHeight = 600;
  static constexpr COLORREF kFrom = RGB(200, 30, 10), kTo = RGB(10, 60, 220);
};

// The skin regions at 1024x768: 20% key in 4x4 holes, and rounded corners in a 2-pixel key
// frame.
inline constexpr int kRegionWidth = 1024, kRegionHeight = 768;
Pixels region_skin(bool rounded);

// A half-open rectangle, as a region's rectangles are.
struct Rect {
  int left, top, right, bottom;
};

// A DIB section of a picture and its pixel memory, for the workloads that work on raw rows.
struct Dib {
  Dib(const Pixels& pixels, int bits_per_pixel);
  explicit operator bool() const { return bits != nullptr; }
  std::uint32_t* row32(int y) const { return reinterpret_cast<std::uint32_t*>(bits + stride * y); }
  std::size_t stride32() const { return stride / 4; }
  Pixels read() const { return read_pixels(static_cast<HBITMAP>(bitmap.m_hObject)); }

  CBitmap bitmap;
  unsigned char* bits = nullptr;
  std::size_t stride = 0;  // bytes from one row to the next
};

// The library's output of each scene.
Pixels library_gray();
Pixels library_keyed_block();
Pixels library_three_slice();
Pixels library_gradient(bool vertical);
Pixels library_blit(const Pixels& source);
std::vector<Rect> library_region(const Pixels& skin);

// The rectangles of a region, as GetRegionData gives them; empty when it cannot.
std::vector<Rect> region_rects(HRGN region);

// "" when every colour channel of every pixel of `other` is within `tolerance` of the
// library's; otherwise how many pixels differ, the first of them and the largest difference.
std::string compare_pixels(const Pixels& library, const Pixels& other, int tolerance);

// "" when both sets of rectangles cover the same pixels of a width x height area, each
// pixel at most once, and nothing outside it; otherwise the first pixel where they differ.
std::string compare_coverage(const std::vector<Rect>& library, const std::vector<Rect>& other, int width, int height);

}  // namespace veneer::bench
