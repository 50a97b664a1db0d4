// Fixtures for the drawing tests, built only on Win32 calls that both platforms have: 32-bit
// DIB-section canvases whose pixels the test reads directly, bitmaps of several depths, and
// snapshots of a device context's state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "tests/support/leak_guard.h"
#include <veneer/framework/afx.h>

namespace veneer::test {

// Colours are COLORREF values (0x00BBGGRR) everywhere in the tests.
inline constexpr COLORREF kKey = RGB(255, 0, 255);

// The fill that drawing tests start from, so that a pixel left alone is told from one drawn
// black: Canvas canvas(w, h, kBackground).
inline constexpr Fill kBackground{RGB(10, 20, 30)};

// A 32-bit DIB section wrapped in a CBitmap, filled by colour_of(x, y).
void make_dib32(CBitmap& bitmap, int width, int height, const std::function<COLORREF(int, int)>& colour_of);
// A DIB section of the given depth (16, 24 or 32) filled with random bytes.
void make_dib(CBitmap& bitmap, int width, int height, int bits_per_pixel);
// A device-dependent bitmap of the given depth from CreateBitmap, filled with raw bytes in
// GetBitmapBits' layout (rows padded to 2 bytes).
void make_ddb(CBitmap& bitmap, int width, int height, int bits_per_pixel, const std::vector<BYTE>& bits);
// Whether the platform makes bitmaps of the depth: the headless platform keeps 1, 24 and 32
// bits per pixel only, where Win32 has 16 and others too.
bool platform_has_depth(int bits_per_pixel);
// Bytes per row as GetBitmapBits delivers them.
int ddb_row_bytes(int width, int bits_per_pixel);
// The bits of a bitmap as GetBitmapBits delivers them.
std::vector<BYTE> bitmap_bits(HBITMAP bitmap);
// The same with the row padding cleared: only what belongs to pixels.
std::vector<BYTE> pixel_bits(HBITMAP bitmap);
BITMAP bitmap_record(HBITMAP bitmap);
// The colour of each pixel of any bitmap, read with GetPixel (the platform's own reading).
std::vector<COLORREF> bitmap_colours(HBITMAP bitmap);

// Everything of a device context's state that a drawing function must leave as it was.
struct DcState {
  HGDIOBJ bitmap, pen, brush, font;
  COLORREF background, text;
  POINT position;
  int stretch_mode, background_mode;
  bool operator==(const DcState& o) const;
  std::string describe() const;
};
DcState dc_state(HDC dc);

// A test whose platform objects, all of them released by the end of the test body, must
// leave nothing behind.
class GdiTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_NO_LEAKS(guard_); }
  LeakGuard guard_;
};

// Colour-keyed drawing as the mask technique was first written: a colour copy of the whole
// source bitmap, the block masked and blackened inside it, then AND and OR onto the target.
// The library copies only the block; the result must be the same.
void whole_copy_trans(HDC target, HBITMAP source, CPoint s, const CRect& d, COLORREF key);

// Random bytes and colours for the randomised tests; seeded, so failures repeat.
std::mt19937& test_rng();

// True on the headless platform, where the fault hook and live counts exist.
#ifdef _WIN32
inline constexpr bool kHeadless = false;
#else
inline constexpr bool kHeadless = true;
#endif

}  // namespace veneer::test

#ifndef _WIN32
#include <veneer/headless/testing.h>

namespace veneer::test {

// Runs a scenario once with no fault to count the platform objects of each kind that the
// call under test creates, then once for every one of those creations with that creation
// failing. The scenario sets up its fixtures, calls arm() right before the call under test
// and disarm() right after it, then checks: `faulted` says which result to expect.
struct FaultRun {
  bool faulted = false;
  std::string label;  // which creation failed, for messages
  std::function<void()> arm, disarm;
};
void sweep_creation_failures(const std::function<void(FaultRun&)>& scenario);

}  // namespace veneer::test
#endif
