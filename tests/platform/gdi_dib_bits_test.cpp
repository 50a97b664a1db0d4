// Conformance of GetDIBits' scan lines in the caller's frame and of 32-bit bit-field DIBs, as
// measured under Wine (32- and 64-bit alike).
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/dib_section.h"
#include "tests/support/leak_guard.h"
#include <veneer/framework/win32_api.h>

namespace {

using veneer::test::LeakGuard;

constexpr int width = 3, height = 4;
constexpr DWORD untouched = 0xeeeeeeee;

// Pixel x of bitmap row y (0 the top row): each row says which it is.
DWORD pixel(int x, int y) { return 0x100000u * static_cast<DWORD>(y + 1) + static_cast<DWORD>(x + 1); }

// A BITMAPINFO with room for the three masks of a bit-field header.
struct FieldsInfo {
  BITMAPINFOHEADER header{};
  DWORD masks[3]{};
  BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

FieldsInfo header(int w, int h, WORD bits, DWORD compression = BI_RGB) {
  FieldsInfo f;
  f.header = {sizeof(BITMAPINFOHEADER), w, h, 1, bits, compression, 12345, 0, 0, 0, 0};
  return f;
}

// A 32-bit device-dependent bitmap of width x height holding pixel(x, y).
class ScanLines : public ::testing::Test {
 protected:
  void SetUp() override {
    screen_ = GetDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(screen_, width, height);
    std::vector<DWORD> rows;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) rows.push_back(pixel(x, y));
    ASSERT_EQ(SetBitmapBits(bitmap_, static_cast<DWORD>(rows.size() * 4), rows.data()),
              static_cast<LONG>(rows.size() * 4));
  }
  void TearDown() override {
    DeleteObject(bitmap_);
    ReleaseDC(nullptr, screen_);
  }
  // Reads with a 32-bit header of the given height; the buffer's rows are named "r<bitmap row>",
  // "Z" (zero) or "." (untouched), in buffer order. Returns GetDIBits' result.
  int read(int frame_height, UINT start, UINT lines, std::string& rows, int frame_width = width) {
    std::vector<DWORD> out(static_cast<std::size_t>(frame_width) * 8, untouched);
    FieldsInfo f = header(frame_width, frame_height, 32);
    const int result = GetDIBits(screen_, bitmap_, start, lines, out.data(), f.info(), DIB_RGB_COLORS);
    const int frame = frame_height < 0 ? -frame_height : frame_height;
    EXPECT_EQ(f.header.biSizeImage, static_cast<DWORD>(frame_width * 4 * frame)) << "written whenever bits are asked";
    rows.clear();
    for (int i = 0; i < frame; ++i) {
      const DWORD* row = &out[static_cast<std::size_t>(i * frame_width)];
      std::string name = "?";
      if (row[0] == untouched)
        name = ".";
      else if (row[0] == 0)
        name = "Z";
      else
        for (int y = 0; y < height; ++y)
          if (row[0] == pixel(0, y) && row[width - 1] == pixel(width - 1, y)) name = "r" + std::to_string(y);
      for (int x = width; x < frame_width; ++x)
        if (row[x] != 0) name += "!";  // columns beyond the bitmap must read as zero
      rows += (i ? " " : "") + name;
    }
    return result;
  }
  HDC screen_ = nullptr;
  HBITMAP bitmap_ = nullptr;
};

TEST_F(ScanLines, CountFromTheBottomOfTheAskedFrame) {
  struct Case {
    int frame_height;
    UINT start, lines;
    int result;
    const char* rows;
  } cases[] = {
      // The bitmap's own height: scan line 0 is the bottom row, whichever way the rows run.
      {4, 0, 4, 4, "r3 r2 r1 r0"},
      {4, 1, 2, 2, "r2 r1 . ."},
      {4, 1, 10, 3, "r2 r1 r0 ."},
      {-4, 0, 4, 4, "r0 r1 r2 r3"},
      {-4, 1, 2, 2, "r1 r2 . ."},
      // Taller: the bitmap at the top of the frame, the rows below it zero and not counted.
      {6, 0, 10, 4, "Z Z r3 r2 r1 r0"},
      {6, 0, 3, 1, "Z Z r3 . . ."},
      {6, 0, 1, 0, "Z . . . . ."},
      {6, 5, 4, 1, "r0 . . . . ."},
      {-6, 0, 6, 4, "r0 r1 r2 r3 Z Z"},
      {-6, 0, 3, 1, "r3 Z Z . . ."},
      {-6, 1, 1, 0, "Z . . . . ."},
      {-6, 2, 2, 2, "r2 r3 . . . ."},
      // ... and a top-down range wholly below the bitmap, not touching it, is left alone.
      {-6, 0, 1, 0, ". . . . . ."},
      {-8, 1, 2, 0, ". . . . . . . ."},
      {-8, 1, 3, 0, "Z Z Z . . . . ."},
      // Shorter: the frame holds the bitmap's top rows.
      {2, 0, 2, 2, "r1 r0"},
      {-2, 0, 2, 2, "r0 r1"},
      {2, 1, 5, 1, "r0 ."},
      // Nothing to copy: a start at or past the frame's end, or no lines, answers 1.
      {6, 6, 2, 1, ". . . . . ."},
      {-4, 100, 1, 1, ". . . ."},
      {4, 0, 0, 1, ". . . ."},
  };
  for (const Case& c : cases) {
    std::string rows;
    const int result = read(c.frame_height, c.start, c.lines, rows);
    EXPECT_EQ(result, c.result) << "height " << c.frame_height << " start " << c.start << " lines " << c.lines;
    EXPECT_EQ(rows, c.rows) << "height " << c.frame_height << " start " << c.start << " lines " << c.lines;
  }
}

TEST_F(ScanLines, ColumnsAndPaddingBeyondTheBitmapAreZero) {
  std::string rows;
  EXPECT_EQ(read(-4, 0, 4, rows, 5), 4);
  EXPECT_EQ(rows, "r0 r1 r2 r3");
  // 24-bit rows of 3 pixels carry 3 bytes of padding, which are written as zero too, as is the
  // frame's fifth row, below the bitmap.
  std::vector<unsigned char> out(12 * 5, 0xee), expected;
  FieldsInfo f = header(width, -5, 24);
  ASSERT_EQ(GetDIBits(screen_, bitmap_, 0, 5, out.data(), f.info(), DIB_RGB_COLORS), 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      expected.insert(expected.end(),
                      {static_cast<unsigned char>(x + 1), 0, static_cast<unsigned char>(0x10 * (y + 1))});
    expected.insert(expected.end(), {0, 0, 0});
  }
  expected.resize(out.size(), 0);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(f.header.biSizeImage, 60u);
}

TEST_F(ScanLines, ThirtyTwoBitBitmapsAreDescribedAsBitFields) {
  FieldsInfo f{};
  f.header.biSize = sizeof(BITMAPINFOHEADER);
  f.masks[0] = f.masks[1] = f.masks[2] = untouched;
  // Describing (no bit count asked) answers the bitmap's height; the masks come on the next call.
  EXPECT_EQ(GetDIBits(screen_, bitmap_, 0, 0, nullptr, f.info(), DIB_RGB_COLORS), height);
  EXPECT_EQ(f.header.biWidth, width);
  EXPECT_EQ(f.header.biHeight, height);
  EXPECT_EQ(f.header.biBitCount, 32);
  EXPECT_EQ(f.header.biCompression, static_cast<DWORD>(BI_BITFIELDS));
  EXPECT_EQ(f.header.biSizeImage, 48u);
  EXPECT_EQ(f.masks[0], untouched);
  // Sizing with that header answers 1 and fills in the masks.
  f.header.biHeight = -9;
  EXPECT_EQ(GetDIBits(screen_, bitmap_, 0, 4, nullptr, f.info(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(f.header.biSizeImage, 108u);
  EXPECT_EQ(f.masks[0], 0xff0000u);
  EXPECT_EQ(f.masks[1], 0xff00u);
  EXPECT_EQ(f.masks[2], 0xffu);
  // Reading with it: whatever masks the caller wrote, the standard ones come back with the bits.
  f.header.biHeight = height;
  f.masks[0] = 0xff;
  f.masks[2] = 0xff0000;
  DWORD out[width * height] = {};
  EXPECT_EQ(GetDIBits(screen_, bitmap_, 0, height, out, f.info(), DIB_RGB_COLORS), height);
  EXPECT_EQ(out[0], pixel(0, 3));
  EXPECT_EQ(f.masks[0], 0xff0000u);
  EXPECT_EQ(f.masks[2], 0xffu);
  // Other depths keep BI_RGB.
  HBITMAP b24 = CreateBitmap(width, 7, 1, 24, nullptr);
  FieldsInfo g{};
  g.header.biSize = sizeof(BITMAPINFOHEADER);
  EXPECT_EQ(GetDIBits(screen_, b24, 0, 0, nullptr, g.info(), DIB_RGB_COLORS), 7);
  EXPECT_EQ(g.header.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(g.header.biBitCount, 24);
  // A 32-bit BI_RGB header is sized without masks.
  g.header.biBitCount = 32;
  g.masks[0] = untouched;
  EXPECT_EQ(GetDIBits(screen_, b24, 0, 7, nullptr, g.info(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(g.header.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(g.masks[0], untouched);
  DeleteObject(b24);
}

// A DIB section from a 3x2 header with these masks; null when refused, with *bits null.
HBITMAP fields_section(WORD bits_per_pixel, DWORD red, DWORD green, DWORD blue, void** bits) {
  FieldsInfo f = header(width, 2, bits_per_pixel, BI_BITFIELDS);
  f.masks[0] = red;
  f.masks[1] = green;
  f.masks[2] = blue;
  *bits = &f;
  return CreateDIBSection(nullptr, f.info(), DIB_RGB_COLORS, bits, nullptr, 0);
}

TEST(BitFieldSections, StandardThirtyTwoBitMasksMakeAWorkingSection) {
  LeakGuard guard;
  {
    void* bits = nullptr;
    HBITMAP section = fields_section(32, 0xff0000, 0xff00, 0xff, &bits);
    ASSERT_TRUE(section);
    ASSERT_NE(bits, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectA(section, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBmih.biCompression, static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(ds.dsBmih.biSizeImage, 24u);
    EXPECT_EQ(ds.dsBitfields[0], 0xff0000u);
    EXPECT_EQ(ds.dsBitfields[1], 0xff00u);
    EXPECT_EQ(ds.dsBitfields[2], 0xffu);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    SetPixel(dc, 0, 1, RGB(0x12, 0x34, 0x56));
    GdiFlush();
    EXPECT_EQ(static_cast<DWORD*>(bits)[0], 0x123456u) << "bottom-up: the bottom row comes first";
    SelectObject(dc, old);
    DeleteDC(dc);
    // SetDIBits takes the same header.
    FieldsInfo f = header(width, 2, 32, BI_BITFIELDS);
    std::memcpy(f.masks, ds.dsBitfields, sizeof f.masks);
    const DWORD in[width * 2] = {0xabcdef, 0, 0, 0, 0, 0};
    EXPECT_EQ(SetDIBits(nullptr, section, 0, 2, in, f.info(), DIB_RGB_COLORS), 2);
    EXPECT_EQ(static_cast<DWORD*>(bits)[0], 0xabcdefu);
    DeleteObject(section);
    // A plain 32-bit section reports no masks.
    section = veneer::test::make_dib_section(width, 2, 32, &bits);
    ASSERT_TRUE(section);
    ds = DIBSECTION{};
    ds.dsBitfields[0] = untouched;
    ASSERT_EQ(GetObjectA(section, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(ds.dsBitfields[0], 0u);
    DeleteObject(section);
  }
  EXPECT_NO_LEAKS(guard);
}

struct Masks {
  WORD bits_per_pixel;
  DWORD red, green, blue;
};

// Every header is refused, leaving no bits pointer and no object behind.
void expect_refused(std::initializer_list<Masks> cases) {
  LeakGuard guard;
  for (const Masks& c : cases) {
    void* bits = nullptr;
    HBITMAP section = fields_section(c.bits_per_pixel, c.red, c.green, c.blue, &bits);
    EXPECT_EQ(section, nullptr) << c.bits_per_pixel << " bits, " << std::hex << c.red << " " << c.green << " "
                                << c.blue;
    EXPECT_EQ(bits, nullptr);
    if (section) DeleteObject(section);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(BitFieldSections, MasksWin32RefusesAreRefused) {
  expect_refused({
      {32, 0, 0, 0},
      {32, 0xff0000, 0xff00, 0},
      {16, 0, 0, 0},  // a mask of nothing
      {24, 0xff0000, 0xff00, 0xff},
      {8, 0xe0, 0x1c, 0x3},
      {1, 1, 1, 1},  // no bit fields at these depths
  });
}

#ifndef _WIN32
// Win32 takes any non-empty masks at 16 and 32 bits; the headless platform has only the one
// 32-bit layout, so it refuses the rest rather than draw in the wrong colours.
TEST(BitFieldSections, LayoutsTheHeadlessSurfacesLackAreRefused) {
  expect_refused({{32, 0xff, 0xff00, 0xff0000},
                  {32, 0x3ff00000, 0xffc00, 0x3ff},
                  {16, 0xf800, 0x7e0, 0x1f},
                  {16, 0x7c00, 0x3e0, 0x1f}});
}
#endif

}  // namespace
