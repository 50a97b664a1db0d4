// Conformance of LoadImageA with BMP files (IMAGE_BITMAP, LR_LOADFROMFILE), as measured under
// Wine (32- and 64-bit alike): the bitmap each depth and header gives, with and without
// LR_CREATEDIBSECTION, stretched sizes, and files that must give NULL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/leak_guard.h"
#include "tests/support/scratch_dir.h"
#include <veneer/framework/win32_api.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {
namespace {

void put16(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 2; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}
void put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}

// A 0xRRGGBB colour as GetPixel answers it.
COLORREF colorref(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff); }

// The colour of pixel (x, y), y counted from the top: every pixel differs.
std::uint32_t colour(int x, int y) { return 0x102030u + 0x010000u * static_cast<std::uint32_t>(x) + 0x0100u * y; }

// A BMP file of width x height whose pixel (x, y) shows colour(x, y), or, for 8 bits and fewer,
// the colour table's entry (x + y) % entries.
struct Bmp {
  int width = 5, height = 3;  // 24-bit rows of 15 bytes: padded
  int bits = 24;
  DWORD header_size = 40;  // 12, 40, 108 or 124
  DWORD compression = BI_RGB;
  bool top_down = false;
  std::vector<std::uint32_t> table;  // 8 bits and fewer
  std::uint32_t top_byte = 0x7f;     // of 32-bit pixels

  std::uint32_t expected(int x, int y) const {
    if (bits <= 8) return table[static_cast<std::size_t>(x + y) % table.size()];
    if (bits == 16) return 0xff0000u >> (8 * ((x + y) % 3));  // pure red, green and blue
    return colour(x, y) | (bits == 32 ? top_byte << 24 : 0u);
  }
  std::string pixel_row(int y) const {
    std::string row;
    if (bits <= 8) {
      std::uint32_t acc = 0;
      int filled = 0;
      for (int x = 0; x < width; ++x) {
        acc = acc << bits | static_cast<std::uint32_t>(x + y) % static_cast<std::uint32_t>(table.size());
        if ((filled += bits) == 8) {
          row.push_back(static_cast<char>(acc));
          acc = 0;
          filled = 0;
        }
      }
      if (filled) row.push_back(static_cast<char>(acc << (8 - filled)));
    }
    for (int x = 0; x < width && bits > 8; ++x) {
      if (bits == 16)
        put16(row, 0x7c00u >> (5 * ((x + y) % 3)));
      else if (bits == 24)
        for (int i = 0; i < 3; ++i) row.push_back(static_cast<char>(colour(x, y) >> (8 * i)));
      else
        put32(row, colour(x, y) | top_byte << 24);
    }
    row.resize((row.size() + 3) / 4 * 4, '\0');
    return row;
  }
  std::string info() const {
    std::string h;
    put32(h, header_size);
    if (header_size == 12) {
      put16(h, static_cast<std::uint32_t>(width));
      put16(h, static_cast<std::uint32_t>(height));
      put16(h, 1);
      put16(h, static_cast<std::uint32_t>(bits));
    } else {
      put32(h, static_cast<std::uint32_t>(width));
      put32(h, static_cast<std::uint32_t>(top_down ? -height : height));
      put16(h, 1);
      put16(h, static_cast<std::uint32_t>(bits));
      put32(h, compression);
      put32(h, 0);  // image size: may be left 0
      put32(h, 2835);
      put32(h, 2835);
      put32(h, static_cast<std::uint32_t>(table.size()));
      put32(h, 0);
      const std::uint32_t masks[3] = {0xff0000, 0xff00, 0xff};
      if (compression == BI_BITFIELDS || header_size > 40)
        for (std::uint32_t m : masks) put32(h, m);  // after a BITMAPINFOHEADER, or its fields in V4 and V5
      h.resize(header_size + (compression == BI_BITFIELDS && header_size == 40 ? 12 : 0), '\0');
    }
    for (std::uint32_t c : table) {
      put32(h, c);
      if (header_size == 12) h.pop_back();  // the core header's colours are three bytes
    }
    return h;
  }
  std::string file() const {
    const std::string h = info();
    std::string pixels;
    for (int y = 0; y < height; ++y) pixels += pixel_row(top_down ? y : height - 1 - y);
    std::string f = "BM";
    put32(f, static_cast<std::uint32_t>(14 + h.size() + pixels.size()));
    put32(f, 0);
    put32(f, static_cast<std::uint32_t>(14 + h.size()));
    return f + h + pixels;
  }
};

class BmpSkins : public ::testing::Test {
 protected:
  HBITMAP load(const std::string& bytes, UINT flags = 0, int cx = 0, int cy = 0) {
    const std::string path = dir_.file("skin.bmp");
    write_bytes(path, bytes);
    SetLastError(0xdead);
    return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, cx, cy, LR_LOADFROMFILE | flags));
  }
  // The bitmap's pixels as 32-bit colours, the top row first.
  static std::vector<std::uint32_t> pixels(HBITMAP bitmap, int width, int height) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xeeeeeeee);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), out.data(), &info, DIB_RGB_COLORS), height);
    ReleaseDC(nullptr, screen);
    return out;
  }

  ScratchDir dir_;
  LeakGuard guard_;
};

// What the headless GDI makes where Win32 keeps a depth it lacks (4, 8, 16 bits, or 1 bit of
// other colours than black and white): a 32-bit section with the same colours.
WORD section_depth(const Bmp& b, bool black_white) {
#ifdef _WIN32
  (void)black_white;
  return static_cast<WORD>(b.bits);
#else
  return static_cast<WORD>(b.bits == 24 || (b.bits == 1 && black_white) ? b.bits : 32);
#endif
}

TEST_F(BmpSkins, EachDepthAndHeaderGivesTheFilesPixels) {
  struct Case {
    const char* name;
    Bmp bmp;
    bool black_white = false;
    bool wine_section_wrong = false;  // Wine's DIB section has other colours than the file
  };
  auto make = [](int bits, DWORD header, DWORD compression = BI_RGB, std::vector<std::uint32_t> table = {}) {
    Bmp b;
    b.bits = bits;
    b.header_size = header;
    b.compression = compression;
    b.table = std::move(table);
    return b;
  };
  const std::vector<Case> cases = {
      {"24 bits", make(24, 40)},
      {"24 bits, V5 header", make(24, 124)},
      {"24 bits, core header", make(24, 12)},
      {"32 bits", make(32, 40)},
      {"32 bits, bit fields", make(32, 40, BI_BITFIELDS)},
      {"32 bits, bit fields, V4 header", make(32, 108, BI_BITFIELDS)},
      {"32 bits, bit fields, V5 header", make(32, 124, BI_BITFIELDS)},
      {"16 bits", make(16, 40)},
      {"8 bits", make(8, 40, BI_RGB, {0x112233, 0x445566, 0x778899})},
      {"4 bits", make(4, 40, BI_RGB, {0x112233, 0x445566, 0x778899})},
      {"1 bit, black and white", make(1, 40, BI_RGB, {0x000000, 0xffffff}), true},
      {"1 bit, white and black", make(1, 40, BI_RGB, {0xffffff, 0x000000})},
      {"1 bit, red and blue", make(1, 40, BI_RGB, {0xff0000, 0x0000ff})},
      // Wine's section reads a core header's three-byte colours wrongly: white comes out blue.
      {"1 bit, core header", make(1, 12, BI_RGB, {0x000000, 0xffffff}), true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bmp& b = c.bmp;
    std::vector<std::uint32_t> expected;
    for (int y = 0; y < b.height; ++y)
      for (int x = 0; x < b.width; ++x) expected.push_back(b.expected(x, y));
    // 24-bit surfaces keep no top byte, and nor does a bitmap of 1 bit.
    std::vector<std::uint32_t> without_top = expected;
    for (std::uint32_t& p : without_top) p &= 0xffffff;

    for (bool section : {false, true}) {
      SCOPED_TRACE(section ? "LR_CREATEDIBSECTION" : "device bitmap");
#ifdef _WIN32
      if (section && c.wine_section_wrong) continue;
#endif
      HBITMAP bitmap = load(b.file(), section ? LR_CREATEDIBSECTION : 0);
      ASSERT_NE(bitmap, nullptr) << GetLastError();
      DIBSECTION ds{};
      const int record = GetObjectA(bitmap, sizeof ds, &ds);
      EXPECT_EQ(ds.dsBm.bmWidth, b.width);
      EXPECT_EQ(ds.dsBm.bmHeight, b.height);
      if (section) {
        EXPECT_EQ(record, static_cast<int>(sizeof ds));
        EXPECT_NE(ds.dsBm.bmBits, nullptr);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, section_depth(b, c.black_white));
        EXPECT_EQ(ds.dsBmih.biCompression,
                  static_cast<DWORD>(section_depth(b, c.black_white) == 16 ? BI_BITFIELDS : BI_RGB))
            << "32-bit bit fields become plain 32-bit pixels";
      } else {
        EXPECT_EQ(record, static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(ds.dsBm.bmBits, nullptr);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, c.black_white ? 1 : 32) << "the screen's depth, or monochrome";
      }
      const bool keeps_top = ds.dsBm.bmBitsPixel == 32 && b.bits == 32;
      EXPECT_EQ(pixels(bitmap, b.width, b.height), keeps_top ? expected : without_top);

      // The bitmap draws as any other: into a context and read back there.
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ previous = SelectObject(dc, bitmap);
      EXPECT_EQ(GetPixel(dc, 1, 0), colorref(b.expected(1, 0)));
      EXPECT_EQ(GetPixel(dc, b.width - 1, b.height - 1), colorref(b.expected(b.width - 1, b.height - 1)));
      SelectObject(dc, previous);
      DeleteDC(dc);
      EXPECT_TRUE(DeleteObject(bitmap));
    }
  }
  EXPECT_NO_LEAKS(guard_);
}

TEST_F(BmpSkins, TopDownFilesLoadTheRightWayUp) {
  Bmp b;
  b.top_down = true;
  for (int bits : {24, 32}) {
    b.bits = bits;
    HBITMAP bitmap = load(b.file(), LR_CREATEDIBSECTION);
    ASSERT_NE(bitmap, nullptr);
    const std::vector<std::uint32_t> got = pixels(bitmap, b.width, b.height);
    DeleteObject(bitmap);
#ifdef _WIN32
    GTEST_SKIP() << "Wine 8 loads a top-down file as a black bitmap";
#endif
    EXPECT_EQ(got[0] & 0xffffff, colour(0, 0));
    EXPECT_EQ(got.back() & 0xffffff, colour(b.width - 1, b.height - 1));
  }
  EXPECT_NO_LEAKS(guard_);
}

// Which source column and row each pixel came from differs: Wine's loader repeats columns
// 0 1 1 2 2 2 for 3 to 6 and keeps 0 2 for 3 to 2, where its own StretchDIBits (and the
// headless platform's, which LoadImageA uses) gives 0 0 1 1 2 2 and 1 2. What both do: every
// pixel is one of the file's, each column (row) of the result comes from one column (row) of
// the file, in order, and enlarging loses none.
void expect_stretched(const std::vector<std::uint32_t>& got, int w, int h, int file_w, int file_h) {
  std::vector<int> columns(static_cast<std::size_t>(w), -1), rows(static_cast<std::size_t>(h), -1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = got[static_cast<std::size_t>(y * w + x)];
      const int column = static_cast<int>((p >> 16) & 0xff) - 0x10, row = static_cast<int>((p >> 8) & 0xff) - 0x20;
      ASSERT_TRUE(column >= 0 && column < file_w && row >= 0 && row < file_h && p == colour(column, row))
          << std::hex << p << " at " << x << "," << y;
      int& c = columns[static_cast<std::size_t>(x)];
      int& r = rows[static_cast<std::size_t>(y)];
      EXPECT_TRUE(c == -1 || c == column) << "column " << x << " mixes the file's columns";
      EXPECT_TRUE(r == -1 || r == row) << "row " << y << " mixes the file's rows";
      c = column;
      r = row;
    }
  EXPECT_TRUE(std::is_sorted(columns.begin(), columns.end()));
  EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
  if (w >= file_w) {
    EXPECT_EQ(static_cast<int>(std::set<int>(columns.begin(), columns.end()).size()), file_w);
  }
  if (h >= file_h) {
    EXPECT_EQ(static_cast<int>(std::set<int>(rows.begin(), rows.end()).size()), file_h);
  }
}

TEST_F(BmpSkins, SizesOtherThanTheFilesStretchByDroppingOrRepeating) {
  Bmp b;
  b.width = 3;
  b.height = 2;
  const std::vector<std::pair<int, int>> sizes = {{6, 4}, {0, 4}, {6, 0}, {2, 1}, {3, 2}, {7, 5}};
  for (UINT flags : {0u, static_cast<UINT>(LR_CREATEDIBSECTION)}) {
    for (auto [cx, cy] : sizes) {
      SCOPED_TRACE(std::to_string(cx) + "x" + std::to_string(cy) + " flags " + std::to_string(flags));
      HBITMAP bitmap = load(b.file(), flags, cx, cy);
      ASSERT_NE(bitmap, nullptr);
      const int w = cx ? cx : b.width, h = cy ? cy : b.height;
      DIBSECTION record{};
      EXPECT_EQ(GetObjectA(bitmap, sizeof record, &record), static_cast<int>(flags ? sizeof record : sizeof(BITMAP)));
      EXPECT_EQ(record.dsBm.bmWidth, w);
      EXPECT_EQ(record.dsBm.bmHeight, h);
      EXPECT_EQ(record.dsBm.bmBitsPixel, flags ? 24 : 32);
      expect_stretched(pixels(bitmap, w, h), w, h, b.width, b.height);
      DeleteObject(bitmap);
    }
    // LR_DEFAULTSIZE changes nothing for bitmaps: 0 is still the file's size.
    HBITMAP bitmap = load(b.file(), flags | LR_DEFAULTSIZE);
    BITMAP record{};
    GetObjectA(bitmap, sizeof record, &record);
    EXPECT_EQ(record.bmWidth, 3);
    EXPECT_EQ(record.bmHeight, 2);
    DeleteObject(bitmap);
  }
  // A black-and-white file stretched stays monochrome.
  Bmp mono;
  mono.bits = 1;
  mono.table = {0x000000, 0xffffff};
  HBITMAP bitmap = load(mono.file(), 0, 10, 6);
  BITMAP record{};
  GetObjectA(bitmap, sizeof record, &record);
  EXPECT_EQ(record.bmBitsPixel, 1);
  const std::vector<std::uint32_t> stretched = pixels(bitmap, 10, 6);
  EXPECT_EQ(stretched[0], 0u);
  EXPECT_EQ(
      std::count(stretched.begin(), stretched.end(), 0u) + std::count(stretched.begin(), stretched.end(), 0xffffffu),
      60);
  DeleteObject(bitmap);
#ifndef _WIN32
  // Wine makes a 1x1 device bitmap of a negative size, and fails without an error for a DIB
  // section; the headless platform refuses both.
  EXPECT_EQ(load(b.file(), 0, -1, -1), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
#endif
  EXPECT_NO_LEAKS(guard_);
}

TEST_F(BmpSkins, FilesThatCannotBeReadGiveTheirErrors) {
  auto error_of = [&](const std::string& path, UINT flags = LR_LOADFROMFILE) {
    SetLastError(0xdead);
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, flags), nullptr) << path;
    return GetLastError();
  };
  EXPECT_EQ(error_of(dir_.file("missing.bmp")), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(error_of(dir_.file("missing/x.bmp")), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  write_bytes(dir_.file("empty.bmp"), "");
  EXPECT_EQ(error_of(dir_.file("empty.bmp")), static_cast<DWORD>(ERROR_FILE_INVALID));
  EXPECT_EQ(error_of(dir_.path()), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "a folder";
  Bmp b;
  write_bytes(dir_.file("skin.bmp"), b.file());
  EXPECT_EQ(error_of(dir_.file("skin.bmp"), 0), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND))
      << "without LR_LOADFROMFILE the name is a resource's";
  HANDLE holder = CreateFileA(dir_.file("skin.bmp").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(error_of(dir_.file("skin.bmp")), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "open for writing";
  CloseHandle(holder);
  HMODULE user = GetModuleHandleA("user32.dll");
  EXPECT_NE(GetProcAddress(user, "LoadImageA"), nullptr);
  EXPECT_NO_LEAKS(guard_);
}

// Files whose headers claim what their bytes do not hold. Wine refuses some of them and loads
// the rest as black or garbage, reading past the file's end for some and crashing for one (an
// offset of 2 GB with LR_CREATEDIBSECTION); the headless platform refuses them all, without
// reading outside the file or making pixels for it.
TEST_F(BmpSkins, MalformedFilesGiveNull) {
  const Bmp good;
  const std::string file = good.file();
  auto patched = [](std::string f, std::size_t at, std::uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) f[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    return f;
  };
  auto with = [&](std::size_t at, std::uint32_t value, int bytes = 4) { return patched(file, at, value, bytes); };
  Bmp short_table;
  short_table.bits = 1;
  short_table.table = {0, 0xffffff};
  Bmp fields;
  fields.bits = 32;
  fields.compression = BI_BITFIELDS;
  struct Case {
    const char* name;
    std::string bytes;
    DWORD error;
    bool wine_refuses;
  };
  const std::vector<Case> cases = {
      {"10 bytes", file.substr(0, 10), ERROR_INVALID_DATA, true},
      {"only the file header", file.substr(0, 14), ERROR_INVALID_DATA, true},
      {"not BM", with(0, 'X', 1), ERROR_INVALID_DATA, true},
      {"header cut short", file.substr(0, 30), ERROR_INVALID_DATA, false},
      {"no pixels", file.substr(0, 54), ERROR_INVALID_DATA, false},
      {"one row short", file.substr(0, file.size() - 16), ERROR_INVALID_DATA, false},
      {"header size 20", with(14, 20), ERROR_INVALID_DATA, true},
      {"header size 1000", with(14, 1000), ERROR_INVALID_DATA, true},
      {"pixels past the end", with(10, 200), ERROR_INVALID_DATA, false},
      {"pixels inside the header", with(10, 20), ERROR_INVALID_DATA, false},
      {"100000 x 100000", patched(with(18, 100000), 22, 100000), ERROR_INVALID_DATA, true},
      {"width 2^31-1", with(18, 0x7fffffff), ERROR_INVALID_DATA, true},
      {"negative width", with(18, static_cast<std::uint32_t>(-5)), ERROR_INVALID_PARAMETER, false},
      {"height -2^31", with(22, 0x80000000u), ERROR_INVALID_PARAMETER, true},
      {"zero height", with(22, 0), ERROR_INVALID_PARAMETER, false},
      {"zero planes", with(26, 0, 2), ERROR_INVALID_PARAMETER, false},
      {"7 bits", with(28, 7, 2), ERROR_INVALID_PARAMETER, false},
      {"run-length", with(30, 1), ERROR_INVALID_PARAMETER, false},
      {"colour table cut", short_table.file().substr(0, 58), ERROR_INVALID_DATA, false},
      {"masks cut", fields.file().substr(0, 58), ERROR_INVALID_DATA, false},
  };
#ifndef _WIN32
  const std::uint64_t bytes_before = veneer::headless::testing::bitmap_bytes_made();
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
#ifdef _WIN32
    if (!c.wine_refuses) continue;
#endif
    for (UINT flags : {0u, static_cast<UINT>(LR_CREATEDIBSECTION)}) {
      HBITMAP bitmap = load(c.bytes, flags);
      EXPECT_EQ(bitmap, nullptr);
      if (bitmap) DeleteObject(bitmap);
#ifndef _WIN32
      EXPECT_EQ(GetLastError(), c.error);
#endif
    }
  }
#ifndef _WIN32
  EXPECT_EQ(veneer::headless::testing::bitmap_bytes_made(), bytes_before) << "no pixels made for a refused file";
#endif
  // What Win32 reads past: an image size that lies, a file size that lies, no pixel offset.
  for (const std::string& lying : {with(34, 0x7fffffff), with(34, 1), with(2, 1), with(10, 0)}) {
    HBITMAP bitmap = load(lying);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(pixels(bitmap, good.width, good.height)[0], colour(0, 0));
    DeleteObject(bitmap);
  }
  // The last row's padding may be missing: every pixel is there.
  HBITMAP bitmap = load(file.substr(0, file.size() - 1));
  EXPECT_NE(bitmap, nullptr);
  DeleteObject(bitmap);
  EXPECT_NO_LEAKS(guard_);
}

#ifndef _WIN32
// Every object the call makes failing in turn: NULL with an error, and nothing left behind.
TEST_F(BmpSkins, FailedCreationsLeaveNothingBehind) {
  using namespace veneer::headless::testing;
  const std::string file = Bmp{}.file();
  for (ObjectKind kind : {ObjectKind::Bitmap, ObjectKind::DeviceContext, ObjectKind::FileHandle}) {
    for (int stretched = 0; stretched < 2; ++stretched) {
      for (unsigned n = 1;; ++n) {
        SCOPED_TRACE(std::string(kind_name(kind)) + " " + std::to_string(n) + (stretched ? ", stretched" : ""));
        const LiveCounts before = live_counts();
        reset_creation_counts();
        fail_nth_creation(kind, n);
        HBITMAP bitmap = load(file, LR_CREATEDIBSECTION, stretched ? 8 : 0, stretched ? 8 : 0);
        const DWORD error = GetLastError();
        const bool reached = creations(kind) >= n;
        clear_faults();
        if (!reached) {  // every creation of the kind has been failed once
          ASSERT_NE(bitmap, nullptr);
          DeleteObject(bitmap);
          break;
        }
        EXPECT_EQ(bitmap, nullptr);
        EXPECT_NE(error, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_NE(error, 0xdeadu);
        if (bitmap) DeleteObject(bitmap);
        EXPECT_TRUE(live_counts() == before);
      }
    }
  }
  EXPECT_NO_LEAKS(guard_);
}
#endif

}  // namespace
}  // namespace veneer::test
