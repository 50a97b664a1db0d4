#include "tests/support/drawing_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "tests/support/dib_section.h"

namespace veneer::test {

void make_dib32(CBitmap& bitmap, int width, int height, const std::function<COLORREF(int, int)>& colour_of) {
  void* bits = nullptr;
  ASSERT_TRUE(bitmap.Attach(make_dib_section(width, height, 32, &bits)));
  auto* p = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p[y * width + x] = dib_pixel_of(colour_of(x, y));
}

void make_dib(CBitmap& bitmap, int width, int height, int bits_per_pixel) {
  void* bits = nullptr;
  ASSERT_TRUE(bitmap.Attach(make_dib_section(width, height, bits_per_pixel, &bits)));
  const int row = static_cast<int>(dib_stride(width, bits_per_pixel));
  auto* p = static_cast<BYTE*>(bits);
  for (int i = 0; i < row * height; ++i) p[i] = static_cast<BYTE>(test_rng()());
}

bool platform_has_depth(int bits_per_pixel) {
#ifdef _WIN32
  (void)bits_per_pixel;
  return true;
#else
  // The headless GDI keeps 1, 24 and 32 bits (a documented difference), so the others are
  // not asked of it; a creation that fails at these depths is a failure, not a skip.
  return bits_per_pixel == 1 || bits_per_pixel == 24 || bits_per_pixel == 32;
#endif
}

int ddb_row_bytes(int width, int bits_per_pixel) { return (width * bits_per_pixel + 15) / 16 * 2; }

void make_ddb(CBitmap& bitmap, int width, int height, int bits_per_pixel, const std::vector<BYTE>& bits) {
  ASSERT_EQ(bits.size(), static_cast<std::size_t>(ddb_row_bytes(width, bits_per_pixel) * height));
  ASSERT_TRUE(bitmap.CreateBitmap(width, height, 1, static_cast<UINT>(bits_per_pixel), bits.data()));
}

BITMAP bitmap_record(HBITMAP bitmap) {
  BITMAP record{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof(record), &record), static_cast<int>(sizeof(record)));
  return record;
}

std::vector<BYTE> bitmap_bits(HBITMAP bitmap) {
  const BITMAP record = bitmap_record(bitmap);
  std::vector<BYTE> bits(static_cast<std::size_t>(ddb_row_bytes(record.bmWidth, record.bmBitsPixel)) * record.bmHeight);
  EXPECT_EQ(GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data()), static_cast<LONG>(bits.size()));
  return bits;
}

std::vector<BYTE> pixel_bits(HBITMAP bitmap) {
  const BITMAP record = bitmap_record(bitmap);
  std::vector<BYTE> bits = bitmap_bits(bitmap);
  const int row = ddb_row_bytes(record.bmWidth, record.bmBitsPixel);
  const int used = record.bmWidth * record.bmBitsPixel;  // bits of a row that hold pixels
  for (int y = 0; y < record.bmHeight; ++y)
    for (int bit = used; bit < row * 8; ++bit)
      bits[static_cast<std::size_t>(y) * row + bit / 8] &= ~(0x80 >> (bit % 8));
  return bits;
}

std::vector<COLORREF> bitmap_colours(HBITMAP bitmap) {
  const BITMAP record = bitmap_record(bitmap);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  EXPECT_TRUE(previous) << "bitmap cannot be selected for reading";
  std::vector<COLORREF> out;
  for (int y = 0; y < record.bmHeight; ++y)
    for (int x = 0; x < record.bmWidth; ++x) out.push_back(GetPixel(dc, x, y));
  SelectObject(dc, previous);
  DeleteDC(dc);
  return out;
}

bool DcState::operator==(const DcState& o) const {
  return bitmap == o.bitmap && pen == o.pen && brush == o.brush && font == o.font && background == o.background &&
         text == o.text && position.x == o.position.x && position.y == o.position.y && stretch_mode == o.stretch_mode &&
         background_mode == o.background_mode;
}

std::string DcState::describe() const {
  std::ostringstream s;
  s << std::hex << "bitmap " << bitmap << " pen " << pen << " brush " << brush << " font " << font << " bk "
    << background << " text " << text << std::dec << " pos (" << position.x << "," << position.y << ") stretch "
    << stretch_mode << " bkmode " << background_mode;
  return s.str();
}

DcState dc_state(HDC dc) {
  DcState s{};
  s.bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  s.pen = GetCurrentObject(dc, OBJ_PEN);
  s.brush = GetCurrentObject(dc, OBJ_BRUSH);
  s.font = GetCurrentObject(dc, OBJ_FONT);
  s.background = GetBkColor(dc);
  s.text = GetTextColor(dc);
  GetCurrentPositionEx(dc, &s.position);
  s.stretch_mode = GetStretchBltMode(dc);
  s.background_mode = GetBkMode(dc);
  return s;
}

void whole_copy_trans(HDC target, HBITMAP source, CPoint s, const CRect& d, COLORREF key) {
  const BITMAP record = bitmap_record(source);
  const int w = d.right - d.left, h = d.bottom - d.top;
  const COLORREF bk = SetBkColor(target, RGB(255, 255, 255)), text = SetTextColor(target, RGB(0, 0, 0));
  HDC image = CreateCompatibleDC(target), src = CreateCompatibleDC(target), mask = CreateCompatibleDC(target);
  HBITMAP mask_bitmap = CreateBitmap(w, h, 1, 1, nullptr);
  HBITMAP copy = CreateCompatibleBitmap(target, record.bmWidth, record.bmHeight);
  HGDIOBJ old_src = SelectObject(src, source), old_mask = SelectObject(mask, mask_bitmap),
          old_image = SelectObject(image, copy);
  BitBlt(image, 0, 0, record.bmWidth, record.bmHeight, src, 0, 0, SRCCOPY);
  SetBkColor(image, key);
  BitBlt(mask, 0, 0, w, h, image, s.x, s.y, SRCCOPY);
  SetBkColor(image, RGB(0, 0, 0));
  SetTextColor(image, RGB(255, 255, 255));
  BitBlt(image, s.x, s.y, w, h, mask, 0, 0, SRCAND);
  BitBlt(target, d.left, d.top, w, h, mask, 0, 0, SRCAND);
  BitBlt(target, d.left, d.top, w, h, image, s.x, s.y, SRCPAINT);
  SelectObject(mask, old_mask);
  SelectObject(image, old_image);
  SelectObject(src, old_src);
  SetBkColor(target, bk);
  SetTextColor(target, text);
  DeleteObject(mask_bitmap);
  DeleteObject(copy);
  DeleteDC(src);
  DeleteDC(mask);
  DeleteDC(image);
}

std::mt19937& test_rng() {
  static std::mt19937 rng(20240611);
  return rng;
}

}  // namespace veneer::test

#ifndef _WIN32
namespace veneer::test {

using namespace veneer::headless::testing;

void sweep_creation_failures(const std::function<void(FaultRun&)>& scenario) {
  constexpr int kinds = static_cast<int>(ObjectKind::Count);
  std::size_t made[kinds] = {};
  {
    FaultRun clean;
    clean.arm = [] { reset_creation_counts(); };
    clean.disarm = [&] {
      for (int k = 0; k < kinds; ++k) made[k] = creations(static_cast<ObjectKind>(k));
    };
    clean.label = "no fault";
    scenario(clean);
  }
  std::size_t total = 0;
  for (int k = 0; k < kinds; ++k) {
    for (std::size_t n = 1; n <= made[k]; ++n) {
      ++total;
      FaultRun run;
      run.faulted = true;
      run.label = std::string(kind_name(static_cast<ObjectKind>(k))) + " creation " + std::to_string(n) + " fails";
      run.arm = [k, n] { fail_nth_creation(static_cast<ObjectKind>(k), static_cast<unsigned>(n)); };
      run.disarm = [] { clear_faults(); };
      SCOPED_TRACE(run.label);
      scenario(run);
    }
  }
  EXPECT_GT(total, 0u) << "the call under test created nothing to fail";
}

}  // namespace veneer::test
#endif
