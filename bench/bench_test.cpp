// The harness's own checks: the skins are the ones the workloads describe, the two
// yardsticks, the floors and the peers built here compute what the library computes (so the
// ratios compare equal work), every workload prepares and runs without leaking, and the
// timing loop measures as it says.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

#include "bench/comparisons.h"
#include "bench/plain_loops.h"
#include "bench/scenes.h"
#include "bench/skins.h"
#include "bench/timing.h"
#include "bench/workloads.h"
#include "tests/support/leak_guard.h"
#include <veneer/veneer.h>

namespace veneer::bench {
namespace {

using veneer::test::LeakGuard;

TEST(BenchSkins, HoledSkinHasAFifthKeyInWholeAlignedCells) {
  const Pixels skin = holed_skin(1024, 768, 0.2);
  const double share = static_cast<double>(skin.key_count()) / (1024.0 * 768.0);
  EXPECT_NEAR(share, 0.2, 0.01);
  for (int cy = 0; cy < 768; cy += 4)
    for (int cx = 0; cx < 1024; cx += 4) {
      const bool hole = skin.at(cx, cy) == kKeyPixel;
      for (int y = cy; y < cy + 4; ++y)
        for (int x = cx; x < cx + 4; ++x)
          ASSERT_EQ(skin.at(x, y) == kKeyPixel, hole) << "cell " << cx << "," << cy << " is not a whole hole";
    }
  // The same skin every time, so that every build measures the same picture.
  EXPECT_EQ(holed_skin(1024, 768, 0.2).data, skin.data);
  EXPECT_EQ(picture(300, 200).key_count(), 0u);
}

TEST(BenchSkins, RoundedSkinHasAKeyBorderAndCutCorners) {
  const Pixels skin = rounded_skin(100, 80, 10, 2);
  for (int x = 0; x < 100; ++x)
    for (int y : {0, 1, 78, 79}) ASSERT_EQ(skin.at(x, y), kKeyPixel) << x << "," << y;
  for (int y = 0; y < 80; ++y)
    for (int x : {0, 1, 98, 99}) ASSERT_EQ(skin.at(x, y), kKeyPixel) << x << "," << y;
  EXPECT_EQ(skin.at(2, 2), kKeyPixel);    // cut corner
  EXPECT_EQ(skin.at(97, 77), kKeyPixel);  // cut corner
  EXPECT_NE(skin.at(12, 2), kKeyPixel);   // the straight edge starts after the corner
  EXPECT_NE(skin.at(2, 12), kKeyPixel);
  EXPECT_NE(skin.at(50, 40), kKeyPixel);
  // Symmetric corners: the same number of key pixels in each quarter.
  std::size_t quarter[4] = {};
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x)
      if (skin.at(x, y) == kKeyPixel) ++quarter[(y >= 40) * 2 + (x >= 50)];
  EXPECT_EQ(quarter[0], quarter[1]);
  EXPECT_EQ(quarter[0], quarter[2]);
  EXPECT_EQ(quarter[0], quarter[3]);
}

TEST(BenchYardsticks, PerPixelRegionEqualsTheLibrarysRegion) {
  LeakGuard guard;
  {
    for (const Pixels& skin : {holed_skin(64, 48, 0.2), rounded_skin(70, 50, 8, 2), picture(9, 7)}) {
      CBitmap bitmap;
      ASSERT_TRUE(bitmap.Attach(make_dib(skin, 32)));
      CRgn library;
      ASSERT_EQ(AfxCreateSkinRegion(&bitmap, &library), 1);
      CRgn reference;
      ASSERT_TRUE(reference.Attach(per_pixel_skin_region(static_cast<HBITMAP>(bitmap.m_hObject))));
      EXPECT_TRUE(::EqualRgn(static_cast<HRGN>(library.m_hObject), static_cast<HRGN>(reference.m_hObject)));
      // And both are the non-key pixels: each pixel is inside exactly when it is not key.
      int mismatches = 0;
      for (int y = 0; y < skin.height; ++y)
        for (int x = 0; x < skin.width; ++x)
          mismatches +=
              (::PtInRegion(static_cast<HRGN>(reference.m_hObject), x, y) != 0) == (skin.at(x, y) == kKeyPixel);
      EXPECT_EQ(mismatches, 0);
    }
  }
  EXPECT_NO_LEAKS(guard);
}

// Draws the same block with `draw` onto a fresh 96x80 target and returns the target's pixels.
template <class Draw>
Pixels draw_block(const Pixels& skin, Draw draw) {
  void* bits = nullptr;
  Surface target(make_dib(picture(96, 80), 32, &bits));
  CBitmap source;
  source.Attach(make_dib(skin, 32));
  if (!target || !source.m_hObject || !bits) return {};
  ::SetBkColor(target.dc.m_hDC, RGB(1, 2, 3));
  ::SetTextColor(target.dc.m_hDC, RGB(4, 5, 6));
  draw(target.dc, source);
  ::GdiFlush();
  EXPECT_EQ(::GetBkColor(target.dc.m_hDC), RGB(1, 2, 3));
  EXPECT_EQ(::GetTextColor(target.dc.m_hDC), RGB(4, 5, 6));
  Pixels out{96, 80, std::vector<std::uint32_t>(96 * 80)};
  std::memcpy(out.data.data(), bits, out.data.size() * 4);
  for (auto& v : out.data) v &= 0xFFFFFF;
  return out;
}

TEST(BenchYardsticks, WholeSourceCopyDrawsWhatTheLibraryDraws) {
  LeakGuard guard;
  {
    const Pixels skin = holed_skin(128, 96, 0.3);
    const RECT dest{10, 12, 50, 44};
    const Pixels library = draw_block(skin, [&](CDC& target, CBitmap& source) {
      AfxDrawTransBitmap(&target, &source, CPoint(33, 21), CRect(dest), kKeyColor);
    });
    const Pixels whole = draw_block(skin, [&](CDC& target, CBitmap& source) {
      whole_source_trans_blit(target.m_hDC, static_cast<HBITMAP>(source.m_hObject), 33, 21, dest, kKeyColor);
    });
    ASSERT_FALSE(library.data.empty());
    EXPECT_EQ(whole.data, library.data);
    // The block did land: opaque skin pixels show, key pixels kept the target's.
    const Pixels before = picture(96, 80);
    EXPECT_EQ(library.at(10, 12), skin.at(33, 21) == kKeyPixel ? before.at(10, 12) : skin.at(33, 21));
    EXPECT_NE(library.data, before.data);
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(BenchYardsticks, TransparentBltDrawsWhatTheLibraryDraws) {
#ifndef _WIN32
  GTEST_SKIP() << "TransparentBlt is Windows' own; the headless platform does not offer it";
#else
  const Pixels skin = holed_skin(128, 96, 0.3);
  const Pixels library = draw_block(skin, [&](CDC& target, CBitmap& source) {
    AfxDrawTransBitmap(&target, &source, CPoint(33, 21), CRect(10, 12, 50, 44), kKeyColor);
  });
  const Pixels platform = draw_block(skin, [&](CDC& target, CBitmap& source) {
    Surface from(nullptr);
    CDC dc;
    dc.Attach(::CreateCompatibleDC(target.m_hDC));
    HGDIOBJ previous = ::SelectObject(dc.m_hDC, source.m_hObject);
    ::TransparentBlt(target.m_hDC, 10, 12, 40, 32, dc.m_hDC, 33, 21, 40, 32, kKeyColor);
    ::SelectObject(dc.m_hDC, previous);
  });
  ASSERT_FALSE(library.data.empty());
  EXPECT_EQ(platform.data, library.data);
#endif
}

TEST(BenchWorkloads, EveryWorkloadRunsAndReleasesWhatItMade) {
  LeakGuard guard;
  for (const Workload& w : workloads()) {
#ifndef _WIN32
    if (w.windows_only) continue;
#endif
    if (w.slow) continue;  // seconds per run; its pixels are checked at a small size above
    SCOPED_TRACE(w.name);
    Prepared p = w.prepare();
    ASSERT_TRUE(p.run) << "could not be prepared";
    EXPECT_NO_THROW(p.run());
    EXPECT_NO_THROW(p.run());
  }
  EXPECT_NO_LEAKS(guard);
  // Names are the report's keys: they must be unique and must not look like aggregates.
  std::vector<std::string> names;
  for (const Workload& w : workloads()) {
    EXPECT_EQ(w.name.find('/'), std::string::npos) << w.name;
    names.push_back(w.name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

// The floors and the peers: each is timed only after its check, so each check must pass here
// and must be able to fail.
TEST(BenchComparisons, EveryFloorAndPeerDrawsWhatTheLibraryDraws) {
  LeakGuard guard;
  std::vector<std::string> expected = {
      "trans_64_five_blits",      "plain_gray_1920x1080",        "plain_trans_64",
      "plain_three_slice_800x30", "plain_region_holes_1024x768", "plain_region_rounded_1024x768"};
#ifdef VENEER_BENCH_OPENCV
  expected.insert(expected.end(), {"opencv_gray_1920x1080", "opencv_trans_64"});
#endif
#ifdef VENEER_BENCH_QT
  expected.insert(expected.end(), {"qt_region_pixels_holes_1024x768", "qt_region_mask_holes_1024x768",
                                   "qt_region_pixels_rounded_1024x768", "qt_region_mask_rounded_1024x768"});
#endif
#ifdef VENEER_BENCH_CAIRO_PIXMAN
  expected.insert(expected.end(), {"cairo_gradient_800x600_h", "cairo_gradient_800x600_v", "pixman_blit_1024x1024"});
#endif
  std::vector<std::string> checked;
  for (const Workload& w : workloads()) {
    if (!w.check) continue;
    checked.push_back(w.name);
    EXPECT_EQ(w.check(), "") << w.name;
  }
  EXPECT_EQ(checked, expected);
  EXPECT_NO_LEAKS(guard);
}

// The scenes check each floor at one geometry; these hold them to the library at others, where
// a wrong column pick or a lost edge pixel would not show in the scene.
TEST(BenchComparisons, PlainLoopsDrawWhatTheLibraryDrawsAtOtherSizes) {
  LeakGuard guard;
  {
    const Pixels skin = picture(24, 8);
    // Middles of 2, 3, 5 and 7 columns enlarged to 88, 9, 13 and 8.
    for (auto [source_width, width] : {std::pair{10, 96}, {11, 17}, {13, 21}, {15, 16}}) {
      SCOPED_TRACE(std::to_string(source_width) + " to " + std::to_string(width));
      const Pixels library = draw_block(skin, [&](CDC& target, CBitmap& source) {
        AfxDrawHoriRectEx(&target, &source, CPoint(3, 1), source_width, 6, CRect(0, 20, width, 26), 4, 4);
      });
      Pixels plain_target = picture(96, 80);
      plain::three_slice(skin.data.data(), 24, 3, 1, source_width, plain_target.data.data(), 96, 20, width, 6, 4);
      EXPECT_EQ(compare_pixels(library, plain_target, 0), "");
    }
    const Pixels holed = holed_skin(40, 30, 0.4);
    const Pixels library = draw_block(holed, [&](CDC& target, CBitmap& source) {
      AfxDrawTransBitmap(&target, &source, CPoint(7, 5), CRect(60, 50, 79, 69), kKeyColor);
    });
    Pixels plain_target = picture(96, 80);
    plain::keyed_block(holed.data.data(), 40, 7, 5, 19, plain_target.data.data(), 96, 60, 50, kKeyPixel);
    EXPECT_EQ(compare_pixels(library, plain_target, 0), "");

    // Runs that start and end at the edges, single pixels, and a row all key.
    Pixels edges = picture(9, 4);
    for (auto [x, y] : {std::pair{0, 0}, {2, 0}, {4, 0}, {8, 0}, {1, 1}, {7, 1}, {0, 3}, {8, 3}})
      edges.at(x, y) = kKeyPixel;
    for (int x = 0; x < 9; ++x) edges.at(x, 2) = kKeyPixel;
    std::vector<Rect> runs;
    plain::key_runs(edges.data.data(), 9, 9, 4, kKeyPixel, runs);
    EXPECT_EQ(compare_coverage(library_region(edges), runs, 9, 4), "");
  }
  EXPECT_NO_LEAKS(guard);
}

TEST(BenchComparisons, PixelsAgreeOnlyWithinTheTolerance) {
  const Pixels a = picture(40, 30);
  Pixels b = a;
  EXPECT_EQ(compare_pixels(a, b, 0), "");
  b.at(17, 9) += 2 << 8;  // green 2 levels brighter
  EXPECT_NE(
      compare_pixels(a, b, 1).find("1 pixels differ by more than 1 in a channel (largest 2), the first at (17,9)"),
      std::string::npos)
      << compare_pixels(a, b, 1);
  EXPECT_EQ(compare_pixels(a, b, 2), "");
  b.at(3, 29) = a.at(3, 29) ^ 0xFF000000;  // the fourth byte is not part of the colour
  EXPECT_EQ(compare_pixels(a, b, 2), "");
  EXPECT_NE(compare_pixels(a, picture(40, 31), 255), "");
  EXPECT_NE(compare_pixels(Pixels{}, Pixels{}, 0), "");  // a library output that could not be made
}

TEST(BenchComparisons, RegionsAgreeOnlyOnTheSamePixels) {
  const std::vector<Rect> banded = {{0, 0, 10, 2}, {0, 2, 4, 5}, {6, 2, 10, 5}};
  const std::vector<Rect> rows = {{0, 0, 10, 1}, {0, 1, 10, 2}, {0, 2, 4, 3}, {6, 2, 10, 3},
                                  {0, 3, 4, 4},  {6, 3, 10, 4}, {0, 4, 4, 5}, {6, 4, 10, 5}};
  EXPECT_EQ(compare_coverage(banded, rows, 10, 5), "");
  std::vector<Rect> hole = rows;
  hole[7].right = 9;
  EXPECT_EQ(compare_coverage(banded, hole, 10, 5),
            "pixel (9,4) is covered 1 times by the library's region, 0 by the other");
  std::vector<Rect> twice = rows;
  twice.push_back({5, 0, 6, 1});
  EXPECT_NE(compare_coverage(banded, twice, 10, 5), "");
  EXPECT_NE(compare_coverage(banded, {{0, 0, 10, 2}, {0, 2, 4, 5}, {6, 2, 11, 5}}, 10, 5), "");
  EXPECT_NE(compare_coverage({}, {}, 10, 5), "");
}

TEST(BenchTiming, MedianOfOddAndEvenCounts) {
  EXPECT_EQ(median({}), 0);
  EXPECT_EQ(median({5}), 5);
  EXPECT_EQ(median({9, 1, 5}), 5);
  EXPECT_EQ(median({4, 1, 3, 100}), 3.5);
}

TEST(BenchTiming, ParsesGoogleBenchmarksFlags) {
  TimingOptions o;
  std::string error;
  ASSERT_TRUE(
      parse_timing_options({"--benchmark_filter=gray_.*", "--benchmark_repetitions=7", "--benchmark_min_time=0.25",
                            "--benchmark_out=r.json", "--benchmark_out_format=json"},
                           o, error))
      << error;
  EXPECT_EQ(o.filter, "gray_.*");
  EXPECT_EQ(o.repetitions, 7);
  EXPECT_EQ(o.min_time, 0.25);
  EXPECT_EQ(o.out, "r.json");
  for (const char* bad : {"--benchmark_repetitions=0", "--benchmark_repetitions=3x", "--benchmark_min_time=fast",
                          "--benchmark_out_format=csv", "--frobnicate"}) {
    TimingOptions other;
    EXPECT_FALSE(parse_timing_options({bad}, other, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST(BenchTiming, BatchesLastTheMinimumTimeAndEachRepetitionIsTimed) {
  TimingOptions o;
  o.repetitions = 3;
  o.min_time = 0.02;
  long long calls = 0;
  // Busy-waits: a short sleep may return at once on Windows, whose sleeps count milliseconds.
  const Measurement m = measure(
      "busy",
      [&] {
        ++calls;
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(500);
        while (std::chrono::steady_clock::now() < until) {
        }
      },
      o, false);
  ASSERT_TRUE(m.error.empty());
  ASSERT_EQ(m.per_op_us.size(), 3u);
  EXPECT_GE(static_cast<double>(m.iterations) * 500e-6, 0.02 / 10) << "batch far too small";
  for (double us : m.per_op_us) EXPECT_GE(us, 500.0);
  EXPECT_GE(calls, 3 * m.iterations);

  long long single_calls = 0;
  const Measurement once = measure(
      "once", [&] { ++single_calls; }, o, true);
  EXPECT_EQ(once.iterations, 1);
  EXPECT_EQ(single_calls, 3);

  const Measurement failed = measure(
      "boom", [] { throw std::runtime_error("broken"); }, o, false);
  EXPECT_EQ(failed.error, "broken");
  EXPECT_TRUE(failed.per_op_us.empty());
}

TEST(BenchTiming, WritesGoogleBenchmarksJson) {
  Measurement a{"alpha", "one alpha", 10, {3.0, 1.0, 2.0}, ""};
  Measurement b{"beta", "", 0, {}, "the \"workload\" failed"};
  const std::string json = benchmark_json({a, b}, "x.exe");
  EXPECT_NE(
      json.find("\"run_name\": \"alpha\", \"run_type\": \"iteration\", \"repetitions\": 3, \"repetition_index\": 2"),
      std::string::npos)
      << json;
  EXPECT_NE(json.find("\"name\": \"alpha_median\""), std::string::npos);
  EXPECT_NE(json.find("\"label\": \"one alpha\""), std::string::npos);
  EXPECT_NE(json.find("\"aggregate_name\": \"median\", \"threads\": 1, \"iterations\": 10, \"real_time\": 2,"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"error_message\": \"the \\\"workload\\\" failed\""), std::string::npos) << json;
}

}  // namespace
}  // namespace veneer::bench
