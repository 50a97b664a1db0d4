#include "bench/scenes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "tests/support/dib_section.h"
#include <veneer/veneer.h>

namespace veneer::bench {

Dib::Dib(const Pixels& pixels, int bits_per_pixel) {
  void* memory = nullptr;
  if (!bitmap.Attach(make_dib(pixels, bits_per_pixel, &memory)) || !memory) return;
  bits = static_cast<unsigned char*>(memory);
  stride = veneer::test::dib_stride(pixels.width, bits_per_pixel);
}

Pixels keyed_block_skin() { return holed_skin(KeyedBlock::kSkinSide, KeyedBlock::kSkinSide, 0.2); }

Pixels region_skin(bool rounded) {
  return rounded ? rounded_skin(kRegionWidth, kRegionHeight, 16, 2) : holed_skin(kRegionWidth, kRegionHeight, 0.2);
}

Pixels library_gray() {
  CBitmap bitmap;
  bitmap.Attach(make_dib(picture(kGrayWidth, kGrayHeight), 24));
  if (!bitmap.m_hObject) return {};
  AfxConvertToGray24(&bitmap);
  return read_pixels(static_cast<HBITMAP>(bitmap.m_hObject));
}

Pixels library_keyed_block() {
  Surface target(make_dib(picture(KeyedBlock::kTargetWidth, KeyedBlock::kTargetHeight), 32));
  CBitmap skin;
  skin.Attach(make_dib(keyed_block_skin(), 32));
  if (!target || !skin.m_hObject) return {};
  const CRect dest(KeyedBlock::kDestX, KeyedBlock::kDestY, KeyedBlock::kDestX + KeyedBlock::kSide,
                   KeyedBlock::kDestY + KeyedBlock::kSide);
  AfxDrawTransBitmap(&target.dc, &skin, CPoint(KeyedBlock::kSourceX, KeyedBlock::kSourceY), dest, kKeyColor);
  return read_pixels(static_cast<HBITMAP>(target.bitmap.m_hObject));
}

Pixels library_three_slice() {
  Surface target(make_dib(picture(ThreeSlice::kTargetWidth, ThreeSlice::kTargetHeight), 32));
  CBitmap skin;
  skin.Attach(make_dib(picture(ThreeSlice::kSkinSide, ThreeSlice::kSkinSide), 32));
  if (!target || !skin.m_hObject) return {};
  AfxDrawHoriRectEx(&target.dc, &skin, CPoint(ThreeSlice::kSourceX, ThreeSlice::kSourceY), ThreeSlice::kSourceWidth,
                    ThreeSlice::kHeight,
                    CRect(0, ThreeSlice::kDestY, ThreeSlice::kTargetWidth, ThreeSlice::kDestY + ThreeSlice::kHeight),
                    ThreeSlice::kCap, ThreeSlice::kCap);
  return read_pixels(static_cast<HBITMAP>(target.bitmap.m_hObject));
}

Pixels library_gradient(bool vertical) {
  Surface target(make_dib(picture(Gradient::kWidth, Gradient::kHeight), 32));
  if (!target) return {};
  CRect all(0, 0, Gradient::kWidth, Gradient::kHeight);
  AfxGradientFillRect(&target.dc, all, Gradient::kFrom, Gradient::kTo, vertical ? 1 : 0);
  return read_pixels(static_cast<HBITMAP>(target.bitmap.m_hObject));
}

Pixels library_blit(const Pixels& source) {
  Surface target(make_dib(Pixels{source.width, source.height, std::vector<std::uint32_t>(source.data.size())}, 32));
  CBitmap bitmap;
  bitmap.Attach(make_dib(source, 32));
  if (!target || !bitmap.m_hObject) return {};
  AfxDrawNormalBitmap(&target.dc, &bitmap, CPoint(0, 0), CRect(0, 0, source.width, source.height));
  return read_pixels(static_cast<HBITMAP>(target.bitmap.m_hObject));
}

std::vector<Rect> library_region(const Pixels& skin) {
  CBitmap bitmap;
  bitmap.Attach(make_dib(skin, 32));
  CRgn region;
  if (!bitmap.m_hObject || !AfxCreateSkinRegion(&bitmap, &region)) return {};
  return region_rects(static_cast<HRGN>(region.m_hObject));
}

std::vector<Rect> region_rects(HRGN region) {
  const DWORD size = ::GetRegionData(region, 0, nullptr);
  if (size < sizeof(RGNDATAHEADER)) return {};
  std::vector<unsigned char> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (::GetRegionData(region, size, data) != size) return {};
  std::vector<Rect> out(data->rdh.nCount);
  const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = Rect{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
  return out;
}

std::string compare_pixels(const Pixels& library, const Pixels& other, int tolerance) {
  std::ostringstream out;
  if (library.data.empty()) return "the library's output could not be made";
  if (library.width != other.width || library.height != other.height || library.data.size() != other.data.size()) {
    out << "sizes differ: " << library.width << "x" << library.height << " and " << other.width << "x" << other.height;
    return out.str();
  }
  std::size_t differing = 0, first = 0;
  int largest = 0;
  for (std::size_t i = 0; i < library.data.size(); ++i) {
    int worst = 0;
    for (int shift : {0, 8, 16})
      worst = std::max(worst, std::abs(static_cast<int>((library.data[i] >> shift) & 0xFF) -
                                       static_cast<int>((other.data[i] >> shift) & 0xFF)));
    if (worst <= tolerance) continue;
    if (differing++ == 0) first = i;
    largest = std::max(largest, worst);
  }
  if (differing == 0) return "";
  out << differing << " pixels differ by more than " << tolerance << " in a channel (largest " << largest
      << "), the first at (" << first % library.width << "," << first / library.width << "): library " << std::hex
      << library.data[first] << ", other " << other.data[first];
  return out.str();
}

namespace {

// How often each pixel of the area is covered; rectangles reaching outside it count at -1.
std::vector<int> coverage(const std::vector<Rect>& rects, int width, int height, bool& outside) {
  std::vector<int> counts(static_cast<std::size_t>(width) * height);
  outside = false;
  for (const Rect& r : rects) {
    if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height) outside = true;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, height); ++y)
      for (int x = std::max(r.left, 0); x < std::min(r.right, width); ++x)
        ++counts[static_cast<std::size_t>(y) * width + x];
  }
  return counts;
}

}  // namespace

std::string compare_coverage(const std::vector<Rect>& library, const std::vector<Rect>& other, int width, int height) {
  bool library_outside = false, other_outside = false;
  const std::vector<int> a = coverage(library, width, height, library_outside);
  const std::vector<int> b = coverage(other, width, height, other_outside);
  if (library.empty()) return "the library's region could not be made";
  if (library_outside || other_outside)
    return std::string(library_outside ? "the library's" : "the other") + " region reaches outside the picture";
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] <= 1 && a[i] == b[i]) continue;
    std::ostringstream out;
    out << "pixel (" << i % width << "," << i / width << ") is covered " << a[i] << " times by the library's region, "
        << b[i] << " by the other";
    return out.str();
  }
  return "";
}

}  // namespace veneer::bench
