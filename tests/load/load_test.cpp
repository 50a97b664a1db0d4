// A million calls mixed over every export on the headless platform: afterwards every live
// object count is back where it started and the resident size has stayed flat.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/dib_section.h"
#include <veneer/framework/afx_gdi.h>
#include <veneer/headless/testing.h>
#include <veneer/veneer.h>

// The sanitizer build runs fewer calls (each is many times slower there).
#ifndef VENEER_LOAD_DEFAULT_CALLS
#define VENEER_LOAD_DEFAULT_CALLS 1000000
#endif

namespace {

using namespace veneer::headless::testing;

LRESULT CALLBACK plain_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

HBITMAP make_dib(int width, int height, int bits_per_pixel) {
  void* bits = nullptr;
  HBITMAP bitmap = veneer::test::make_dib_section(width, height, bits_per_pixel, &bits);
  if (bitmap) {
    auto* p = static_cast<unsigned char*>(bits);
    std::size_t bytes = static_cast<std::size_t>((width * bits_per_pixel / 8 + 3) & ~3) * height;
    for (std::size_t i = 0; i < bytes; ++i) p[i] = static_cast<unsigned char>((i * 37) % 251);
    // a few key-coloured pixels for the colour-keyed functions and the skin region
    if (bits_per_pixel == 32) static_cast<DWORD*>(bits)[0] = static_cast<DWORD*>(bits)[5] = 0x00FF00FF;
  }
  return bitmap;
}

// The world the calls run in: windows, a tray icon, a target context and skin bitmaps.
struct World {
  HWND main = nullptr;
  HWND child = nullptr;
  CWnd main_wnd, child_wnd;
  CDC target;
  CBitmap canvas, skin, overlay, gray_me, copy_to;
  CRgn region;
  CBitmap* old = nullptr;
  std::string file;

  World() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = plain_window_proc;
    wc.lpszClassName = "VeneerLoadTest";
    RegisterClassA(&wc);
    HeadlessStartShell(0);
    main = CreateWindowExA(0, "VeneerLoadTest", "load", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
    child = CreateWindowExA(0, "VeneerLoadTest", "child", WS_CHILD | WS_VISIBLE, 5, 5, 50, 20, main, nullptr, nullptr,
                            nullptr);
    main_wnd.m_hWnd = main;
    child_wnd.m_hWnd = child;
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main;
    icon.uID = 7;
    Shell_NotifyIconA(NIM_ADD, &icon);
    target.Attach(CreateCompatibleDC(nullptr));
    canvas.Attach(make_dib(64, 64, 32));
    skin.Attach(make_dib(48, 32, 32));
    overlay.Attach(make_dib(8, 8, 32));
    gray_me.Attach(make_dib(17, 9, 24));
    old = target.SelectObject(&canvas);
    file = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/veneer-load-" +
           std::to_string(GetCurrentProcessId());
    AfxSaveToFile(CStringT("hello\0world", 11), file.c_str());
  }
  ~World() {
    target.SelectObject(old);
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main;
    icon.uID = 7;
    Shell_NotifyIconA(NIM_DELETE, &icon);
    DestroyWindow(main);
    HeadlessStopShell();
    std::remove(file.c_str());
  }
};

struct Op {
  const char* name;
  int weight;
  std::function<void(World&, std::mt19937&)> run;
};

std::vector<Op> operations() {
  return {
      {"AfxEncryptString", 40,
       [](World&, std::mt19937& r) { AfxEncryptString(CStringT(std::to_string(r()).c_str())); }},
      {"AfxUrlEncode", 40, [](World&, std::mt19937&) { AfxUrlEncode("a b&c=d\xE4\n"); }},
      {"AfxGetFileExtName", 40, [](World&, std::mt19937&) { AfxGetFileExtName("dir.old\\photo.JPG"); }},
      {"AfxCaclStringLength", 10, [](World&, std::mt19937&) { AfxCaclStringLength("A&&B title", nullptr); }},
      {"AfxGetFileSize", 4, [](World& w, std::mt19937&) { AfxGetFileSize(w.file.c_str()); }},
      {"AfxReadFromFile", 4, [](World& w, std::mt19937&) { AfxReadFromFile(w.file.c_str()); }},
      {"AfxSaveToFile", 1, [](World& w, std::mt19937&) { AfxSaveToFile(CStringT("x\0y", 3), w.file.c_str()); }},
      {"AfxGetAppPath", 20, [](World&, std::mt19937&) { AfxGetAppPath(); }},
      {"AfxGetClipboardText", 10, [](World&, std::mt19937&) { AfxGetClipboardText(); }},
      {"AfxCleanMemory", 2, [](World& w, std::mt19937& r) { AfxCleanMemory(&w.main_wnd, static_cast<int>(r() & 1)); }},
      {"AfxShowOnTopWindow", 10, [](World& w, std::mt19937&) { AfxShowOnTopWindow(w.main); }},
      {"AfxCenterDesktop", 10, [](World& w, std::mt19937&) { AfxCenterDesktop(w.main, 301, 199); }},
      {"AfxOffSetCtrl", 10, [](World& w, std::mt19937&) { AfxOffSetCtrl(w.main, w.child, 1, -1, 0, 0); }},
      {"AfxOffSetCtrlWnd", 10,
       [](World& w, std::mt19937&) { AfxOffSetCtrlWnd(&w.main_wnd, &w.child_wnd, -1, 1, 50, 0); }},
      {"AfxFlashWindow", 10, [](World& w, std::mt19937&) { AfxFlashWindow(w.main, 3); }},
      {"AfxTrayNotifyWnd", 10, [](World&, std::mt19937&) { AfxTrayNotifyWnd(); }},
      {"AfxTrayNotifyToolbarWnd", 10, [](World&, std::mt19937&) { AfxTrayNotifyToolbarWnd(); }},
      {"AfxAnimate2Tray", 10, [](World& w, std::mt19937&) { AfxAnimate2Tray(w.main); }},
      {"AfxFindTrayIconPosition", 10,
       [](World& w, std::mt19937&) {
         CRect r;
         AfxFindTrayIconPosition(w.main, 7, r);
       }},
      {"AfxDrawNormalBitmap", 10,
       [](World& w, std::mt19937&) { AfxDrawNormalBitmap(&w.target, &w.skin, CPoint(2, 3), CRect(4, 4, 30, 20)); }},
      {"AfxDrawStretchBitmap", 10,
       [](World& w, std::mt19937&) {
         AfxDrawStretchBitmap(&w.target, &w.skin, CPoint(0, 0), 16, 8, CRect(0, 0, 40, 30));
       }},
      {"AfxDrawSingleLine", 10,
       [](World& w, std::mt19937&) { AfxDrawSingleLine(&w.target, CPoint(0, 5), CPoint(60, 40), RGB(10, 20, 30)); }},
      {"AfxGradientFillRect", 10,
       [](World& w, std::mt19937& r) {
         CRect rect(0, 0, 64, 64);
         AfxGradientFillRect(&w.target, rect, RGB(255, 0, 0), RGB(0, 0, 255), static_cast<int>(r() & 1));
       }},
      {"AfxDrawHoriRectEx", 10,
       [](World& w, std::mt19937&) {
         AfxDrawHoriRectEx(&w.target, &w.skin, CPoint(0, 0), 20, 10, CRect(0, 0, 60, 12), 4, 4);
       }},
      {"AfxDrawVertRectEx", 10,
       [](World& w, std::mt19937&) {
         AfxDrawVertRectEx(&w.target, &w.skin, CPoint(0, 0), 6, 20, CRect(0, 0, 6, 60), 4, 4);
       }},
      {"AfxDrawRect", 10,
       [](World& w, std::mt19937&) { AfxDrawRect(&w.target, &w.skin, CPoint(0, 0), 11, 10, CRect(0, 0, 60, 10)); }},
      {"AfxDrawVertRect", 10,
       [](World& w, std::mt19937&) { AfxDrawVertRect(&w.target, &w.skin, CPoint(0, 0), 6, 11, CRect(0, 0, 6, 60)); }},
      {"AfxDrawTransBitmap", 10,
       [](World& w, std::mt19937&) {
         AfxDrawTransBitmap(&w.target, &w.skin, CPoint(0, 0), CRect(3, 3, 19, 19), 0x00FF00FF);
       }},
      {"AfxOverlapBitmap", 10, [](World& w, std::mt19937&) { AfxOverlapBitmap(&w.skin, &w.overlay, CPoint(40, 28)); }},
      {"AfxConvertToGray24", 10, [](World& w, std::mt19937&) { AfxConvertToGray24(&w.gray_me); }},
      {"AfxCopyBitmap", 10, [](World& w, std::mt19937&) { AfxCopyBitmap(&w.overlay, &w.copy_to); }},
      {"AfxCreateSkinRegion", 10, [](World& w, std::mt19937&) { AfxCreateSkinRegion(&w.skin, &w.region); }},
  };
}

TEST(Load, AMillionMixedCallsLeaveNothingBehind) {
  const char* env = std::getenv("VENEER_LOAD_CALLS");
  const long calls = env ? std::atol(env) : VENEER_LOAD_DEFAULT_CALLS;
  const std::vector<Op> ops = operations();
  ASSERT_EQ(ops.size(), 32u) << "every export takes part";
  std::vector<int> cumulative;
  int total = 0;
  for (const Op& op : ops) cumulative.push_back(total += op.weight);

  const LiveCounts before = live_counts();
  std::size_t rss_warm = 0;
  {
    World world;
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> pick(0, total - 1);
    std::vector<long> counts(ops.size());
    for (long i = 0; i < calls; ++i) {
      if (i == calls / 10) rss_warm = resident_size();  // after warm-up: caches and pools are full
      int p = pick(rng);
      std::size_t k = 0;
      while (cumulative[k] <= p) ++k;
      ops[k].run(world, rng);
      ++counts[k];
    }
    for (std::size_t k = 0; k < ops.size(); ++k) EXPECT_GT(counts[k], 0) << ops[k].name << " never ran";
  }
  const std::size_t rss_end = resident_size();
  const LiveCounts after = live_counts();

  std::printf("load: %ld calls over %zu exports\n", calls, ops.size());
  for (int k = 0; k < static_cast<int>(ObjectKind::Count); ++k)
    std::printf("load: %-18s before %zu after %zu\n", kind_name(static_cast<ObjectKind>(k)), before.counts[k],
                after.counts[k]);
  std::printf("load: resident size after warm-up %zu KiB, at the end %zu KiB\n", rss_warm / 1024, rss_end / 1024);
  EXPECT_TRUE(before == after) << "live objects changed";
  // Flat: after the warm-up the process may grow by at most 4 MiB (allocator slack).
  // AddressSanitizer's quarantine holds freed blocks (up to 256 MiB) instead of reusing them,
  // so there the resident size says nothing about leaks; its leak check does.
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LE(rss_end, rss_warm + 4u * 1024 * 1024);
#endif
}

}  // namespace
