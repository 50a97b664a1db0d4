// Grayscale conversion in place and whole-bitmap copies.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/drawing_fixtures.h"
#include "tests/support/heap_faults.h"
#include "tests/support/leak_guard.h"
#include <veneer/veneer.h>

namespace veneer::test {
namespace {

class GrayConversion : public GdiTest {};
class BitmapCopy : public GdiTest {};

// The conversion as stated for the library: each weighted channel truncated on its own.
BYTE reference_gray(BYTE blue, BYTE green, BYTE red) {
  return static_cast<BYTE>(static_cast<int>(blue * 0.114) + static_cast<int>(green * 0.587) +
                           static_cast<int>(red * 0.299));
}

std::vector<BYTE> random_bytes(std::size_t n) {
  std::vector<BYTE> out(n);
  for (BYTE& b : out) b = static_cast<BYTE>(test_rng()());
  return out;
}

// What the conversion must make of bits in GetBitmapBits' layout: every pixel of a 24- or
// 32-bit row becomes gray, the fourth byte of a 32-bit pixel and the row padding stay.
std::vector<BYTE> converted(std::vector<BYTE> bits, int width, int height, int bits_per_pixel) {
  const int row = ddb_row_bytes(width, bits_per_pixel), step = bits_per_pixel / 8;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      BYTE* p = &bits[static_cast<std::size_t>(y) * row + x * step];
      p[0] = p[1] = p[2] = reference_gray(p[0], p[1], p[2]);
    }
  return bits;
}

TEST_F(GrayConversion, KnownColoursOfAnOddWidth24BitBitmap) {
  // (blue, green, red) in, gray out; 3 pixels a row, so rows are padded by one byte.
  const BYTE cases[9][4] = {{0, 0, 0, 0},     {255, 255, 255, 254}, {255, 0, 0, 29},
                            {0, 255, 0, 149}, {0, 0, 255, 76},      {128, 128, 128, 127},
                            {1, 1, 1, 0},     {100, 150, 200, 158}, {255, 0, 255, 105}};
  std::vector<BYTE> bits(static_cast<std::size_t>(ddb_row_bytes(3, 24)) * 3, 0xA5);
  for (int i = 0; i < 9; ++i)
    for (int c = 0; c < 3; ++c) bits[(i / 3) * ddb_row_bytes(3, 24) + (i % 3) * 3 + c] = cases[i][c];
  CBitmap bitmap;
  make_ddb(bitmap, 3, 3, 24, bits);
  AfxConvertToGray24(&bitmap);
  const auto got = bitmap_bits(static_cast<HBITMAP>(bitmap.m_hObject));
  for (int i = 0; i < 9; ++i)
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(got[(i / 3) * ddb_row_bytes(3, 24) + (i % 3) * 3 + c], cases[i][3]) << "case " << i;
  // The key colour is gray afterwards, and converting again moves light grays further.
  AfxConvertToGray24(&bitmap);
  EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(bitmap.m_hObject))[3], 252) << "254 twice";
  bitmap.DeleteObject();
}

TEST_F(GrayConversion, FollowsRowsAndDepthOfDeviceBitmapsAndDibSections) {
  for (int bpp : {24, 32})
    for (int width : {1, 3, 5, 8}) {
      SCOPED_TRACE(::testing::Message() << bpp << " bits, width " << width);
      const int height = 4;
      CBitmap ddb, dib;
      make_ddb(ddb, width, height, bpp, random_bytes(static_cast<std::size_t>(ddb_row_bytes(width, bpp)) * height));
      // As the platform keeps them (it need not keep the row padding).
      const auto bits = bitmap_bits(static_cast<HBITMAP>(ddb.m_hObject));
      AfxConvertToGray24(&ddb);
      EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(ddb.m_hObject)), converted(bits, width, height, bpp));
      // A DIB section reports rows padded to 4 bytes in bmWidthBytes, but its bits travel
      // as GetBitmapBits delivers them.
      make_dib(dib, width, height, bpp);
      const auto dib_bits = bitmap_bits(static_cast<HBITMAP>(dib.m_hObject));
      AfxConvertToGray24(&dib);
      EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(dib.m_hObject)), converted(dib_bits, width, height, bpp));
    }
}

TEST_F(GrayConversion, OtherDepthsAndMissingBitmapsAreLeftAlone) {
  for (int bpp : {1, 16}) {
    if (!platform_has_depth(bpp)) continue;  // 16 bits: Win32 only
    CBitmap bitmap;
    make_ddb(bitmap, 9, 5, bpp, random_bytes(static_cast<std::size_t>(ddb_row_bytes(9, bpp)) * 5));
    const auto bits = bitmap_bits(static_cast<HBITMAP>(bitmap.m_hObject));
    AfxConvertToGray24(&bitmap);
    EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(bitmap.m_hObject)), bits) << bpp;
  }
  CBitmap empty;
  AfxConvertToGray24(&empty);
  AfxConvertToGray24(nullptr);
  EXPECT_EQ(empty.m_hObject, nullptr);
}

TEST_F(GrayConversion, StaleHandlesAreLeftAloneAndDeviceBitmapsOfEachDepthConverted) {
  CBitmap stale;
  make_dib(stale, 4, 4, 32);
  DeleteObject(stale.m_hObject);
  AfxConvertToGray24(&stale);  // a destroyed bitmap: nothing to read, nothing done
  stale.Detach();
  // Device bitmaps of 32 bits convert as DIB sections do; monochrome ones stay as they are.
  CBitmap ddb;
  make_ddb(ddb, 5, 2, 32, random_bytes(40));
  const auto bits = bitmap_bits(static_cast<HBITMAP>(ddb.m_hObject));
  AfxConvertToGray24(&ddb);
  EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(ddb.m_hObject)), converted(bits, 5, 2, 32));
  ddb.DeleteObject();
}

// Without its buffer the conversion cannot be made: the caller hears of it through the
// framework's memory exception, and the bitmap keeps its pixels.
TEST_F(GrayConversion, NoBufferRaisesTheMemoryExceptionAndLeavesTheBitmap) {
#ifdef _WIN32
  GTEST_SKIP() << "the library's DLL carries its own heap, out of the test's reach";
#else
  CBitmap bitmap;
  make_ddb(bitmap, 5, 3, 24, random_bytes(static_cast<std::size_t>(ddb_row_bytes(5, 24)) * 3));
  const auto bits = bitmap_bits(static_cast<HBITMAP>(bitmap.m_hObject));
  CException* raised = nullptr;
  heap::arm(1);  // the conversion's first allocation, its buffer, fails
  try {
    heap::Counted scope;
    AfxConvertToGray24(&bitmap);
  } catch (CException* e) {
    raised = e;
  }
  EXPECT_GE(heap::disarm(), 1u) << "the conversion asked for no buffer";
  ASSERT_NE(raised, nullptr) << "the failure was swallowed";
  EXPECT_NE(dynamic_cast<CMemoryException*>(raised), nullptr);
  raised->Delete();
  EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(bitmap.m_hObject)), bits);
  AfxConvertToGray24(&bitmap);  // with memory to be had, it converts
  EXPECT_EQ(bitmap_bits(static_cast<HBITMAP>(bitmap.m_hObject)), converted(bits, 5, 3, 24));
  bitmap.DeleteObject();
#endif
}

TEST_F(GrayConversion, EveryColourAsStated) {
  // All 2^24 colours in one 4096 x 4096 24-bit bitmap.
  constexpr int kSide = 4096;
  std::vector<BYTE> bits(static_cast<std::size_t>(kSide) * kSide * 3);
  for (std::size_t i = 0; i < bits.size() / 3; ++i) {
    bits[3 * i] = static_cast<BYTE>(i);
    bits[3 * i + 1] = static_cast<BYTE>(i >> 8);
    bits[3 * i + 2] = static_cast<BYTE>(i >> 16);
  }
  CBitmap bitmap;
  make_ddb(bitmap, kSide, kSide, 24, bits);
  const auto start = std::chrono::steady_clock::now();
  AfxConvertToGray24(&bitmap);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  RecordProperty("milliseconds", static_cast<int>(ms.count()));
  const auto got = bitmap_bits(static_cast<HBITMAP>(bitmap.m_hObject));
  ASSERT_EQ(got.size(), bits.size());
  for (std::size_t i = 0; i < bits.size(); i += 3) {
    const BYTE want = reference_gray(bits[i], bits[i + 1], bits[i + 2]);
    if (got[i] != want || got[i + 1] != want || got[i + 2] != want)
      FAIL() << "colour (b,g,r) = (" << int(bits[i]) << "," << int(bits[i + 1]) << "," << int(bits[i + 2]) << ") gave "
             << int(got[i]) << " for " << int(want);
  }
}

// ---- Copy

struct CopyCase {
  const char* name;
  int bits_per_pixel;
  std::function<void(CBitmap&)> make;
};

std::vector<CopyCase> copy_cases() {
  auto ddb = [](int w, int h, int bpp) {
    return
        [=](CBitmap& b) { make_ddb(b, w, h, bpp, random_bytes(static_cast<std::size_t>(ddb_row_bytes(w, bpp)) * h)); };
  };
  return {{"1x1, 32 bits", 32, ddb(1, 1, 32)},
          {"monochrome", 1, ddb(13, 5, 1)},
          {"32 bits, fourth byte set", 32, ddb(6, 6, 32)},
          {"16-bit DIB section", 16, [](CBitmap& b) { make_dib(b, 5, 5, 16); }},
          {"24-bit DIB section", 24, [](CBitmap& b) { make_dib(b, 7, 5, 24); }},
          {"32-bit DIB section", 32, [](CBitmap& b) { make_dib(b, 9, 3, 32); }}};
}

TEST_F(BitmapCopy, KeepsSizeDepthAndEveryPixelValue) {
  for (const CopyCase& c : copy_cases()) {
    SCOPED_TRACE(c.name);
    if (!platform_has_depth(c.bits_per_pixel)) continue;  // 16 bits: Win32 only
    CBitmap source, destination;
    c.make(source);
    const auto bits = pixel_bits(static_cast<HBITMAP>(source.m_hObject));
    const BITMAP record = bitmap_record(static_cast<HBITMAP>(source.m_hObject));
    ASSERT_EQ(AfxCopyBitmap(&source, &destination), 1);
    ASSERT_NE(destination.m_hObject, nullptr);
    ASSERT_NE(destination.m_hObject, source.m_hObject);
    const BITMAP copy = bitmap_record(static_cast<HBITMAP>(destination.m_hObject));
    EXPECT_EQ(copy.bmWidth, record.bmWidth);
    EXPECT_EQ(copy.bmHeight, record.bmHeight);
    EXPECT_EQ(copy.bmBitsPixel, record.bmBitsPixel);
    EXPECT_EQ(pixel_bits(static_cast<HBITMAP>(destination.m_hObject)), bits);
    EXPECT_EQ(pixel_bits(static_cast<HBITMAP>(source.m_hObject)), bits) << "the source was changed";
    // The source is free again: it can be selected into another context.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, source.m_hObject);
    EXPECT_NE(previous, nullptr);
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
}

TEST_F(BitmapCopy, ReplacesAndDestroysWhatTheDestinationHeld) {
  CBitmap source, destination;
  make_dib(source, 4, 4, 32);
  make_dib(destination, 2, 2, 32);
  const HGDIOBJ old = destination.m_hObject;
  ASSERT_EQ(AfxCopyBitmap(&source, &destination), 1);
  EXPECT_EQ(GetObjectType(old), 0u) << "the bitmap it held still exists";
  EXPECT_EQ(pixel_bits(static_cast<HBITMAP>(destination.m_hObject)),
            pixel_bits(static_cast<HBITMAP>(source.m_hObject)));

  // Copying an object onto itself gives it a new bitmap with the same pixels.
  const HGDIOBJ before = source.m_hObject;
  const auto bits = pixel_bits(static_cast<HBITMAP>(before));
  ASSERT_EQ(AfxCopyBitmap(&source, &source), 1);
  EXPECT_NE(source.m_hObject, before);
  EXPECT_EQ(GetObjectType(before), 0u);
  EXPECT_EQ(pixel_bits(static_cast<HBITMAP>(source.m_hObject)), bits);
  source.DeleteObject();
  destination.DeleteObject();
}

TEST_F(BitmapCopy, ABitmapTheScreensContextsRefuseIsNotCopied) {
  // Wine refuses to select 16- and 24-bit device bitmaps into a context of its 32-bit
  // screen, so the copy cannot read them; it must say so rather than hand over a blank one.
  for (int bpp : {16, 24}) {
    if (!platform_has_depth(bpp)) continue;  // 16 bits: Win32 only
    CBitmap source, destination;
    make_ddb(source, 7, 3, bpp, random_bytes(static_cast<std::size_t>(ddb_row_bytes(7, bpp)) * 3));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, source.m_hObject);
    const bool readable = previous != nullptr;
    if (previous) SelectObject(dc, previous);
    DeleteDC(dc);
    EXPECT_EQ(AfxCopyBitmap(&source, &destination), readable ? 1 : 0);
    if (readable) {
      EXPECT_EQ(pixel_bits(static_cast<HBITMAP>(destination.m_hObject)),
                pixel_bits(static_cast<HBITMAP>(source.m_hObject)));
    } else {
      EXPECT_EQ(destination.m_hObject, nullptr);
    }
    source.DeleteObject();
    destination.DeleteObject();
  }
}

TEST_F(BitmapCopy, AFailedCopyLeavesTheDestinationAsItWas) {
  CBitmap source, empty, destination;
  make_dib(source, 4, 4, 32);
  make_dib(destination, 3, 3, 24);
  const HGDIOBJ held = destination.m_hObject;
  const auto bits = pixel_bits(static_cast<HBITMAP>(held));
  EXPECT_EQ(AfxCopyBitmap(nullptr, &destination), 0);
  EXPECT_EQ(AfxCopyBitmap(&empty, &destination), 0);
  EXPECT_EQ(AfxCopyBitmap(&source, nullptr), 0);
  // A source selected into the host's own context cannot be read.
  HDC holder = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(holder, source.m_hObject);
  EXPECT_EQ(AfxCopyBitmap(&source, &destination), 0);
  SelectObject(holder, previous);
  DeleteDC(holder);
  EXPECT_EQ(destination.m_hObject, held);
  EXPECT_EQ(pixel_bits(static_cast<HBITMAP>(held)), bits);
  source.DeleteObject();
  destination.DeleteObject();
}

TEST_F(BitmapCopy, StaleHandlesGiveZeroAndAnEmptyDestinationObjectIsFilled) {
  CBitmap stale, source, destination;
  make_dib(stale, 4, 4, 32);
  DeleteObject(stale.m_hObject);
  make_dib(destination, 3, 3, 24);
  const HGDIOBJ held = destination.m_hObject;
  EXPECT_EQ(AfxCopyBitmap(&stale, &destination), 0);
  EXPECT_EQ(destination.m_hObject, held);
  // A destination holding a destroyed handle gets the copy; the stale number is not deleted
  // again (the platform refuses it), and nothing leaks.
  make_dib(source, 2, 2, 32);
  EXPECT_EQ(AfxCopyBitmap(&source, &stale), 1);
  EXPECT_EQ(pixel_bits(static_cast<HBITMAP>(stale.m_hObject)), pixel_bits(static_cast<HBITMAP>(source.m_hObject)));
  stale.DeleteObject();
  source.DeleteObject();
  destination.DeleteObject();
}

#ifndef _WIN32
TEST_F(BitmapCopy, EveryFailedCreationGivesZeroAndKeepsTheDestination) {
  for (const CopyCase& c : copy_cases()) {
    SCOPED_TRACE(c.name);
    if (!platform_has_depth(c.bits_per_pixel)) continue;
    sweep_creation_failures([&](FaultRun& run) {
      LeakGuard guard;
      {
        CBitmap source, destination;
        c.make(source);
        make_dib(destination, 3, 3, 24);
        const HGDIOBJ held = destination.m_hObject;
        const auto bits = pixel_bits(static_cast<HBITMAP>(held));
        run.arm();
        const int result = AfxCopyBitmap(&source, &destination);
        run.disarm();
        if (run.faulted) {
          EXPECT_EQ(result, 0);
          EXPECT_EQ(destination.m_hObject, held);
          EXPECT_EQ(pixel_bits(static_cast<HBITMAP>(held)), bits);
        } else {
          EXPECT_EQ(result, 1);
        }
        source.DeleteObject();
        destination.DeleteObject();
      }
      EXPECT_NO_LEAKS(guard);
    });
  }
}
#endif

}  // namespace
}  // namespace veneer::test
