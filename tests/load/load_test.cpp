// A million calls mixed over every export on the headless platform, each checked for doing
// its work: afterwards every live object count is back where it started and the resident
// size has stayed flat. Then each export alone, so that a small leak in one rarely called
// export shows in the resident size rather than drowning in the mix.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

constexpr DWORD kKey = 0x00FF00FF;    // the skin's key colour, as DIB bits
constexpr DWORD kBlank = 0x00123456;  // the target's colour before every drawing call
constexpr int kCanvas = 64;

LRESULT CALLBACK plain_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

HBITMAP make_dib(int width, int height, int bits_per_pixel, void** bits_out) {
  void* bits = nullptr;
  HBITMAP bitmap = veneer::test::make_dib_section(width, height, bits_per_pixel, &bits);
  if (bitmap) {
    auto* p = static_cast<unsigned char*>(bits);
    std::size_t bytes = veneer::test::dib_stride(width, bits_per_pixel) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < bytes; ++i) p[i] = static_cast<unsigned char>((i * 37) % 251);
    // a few key-coloured pixels for the colour-keyed functions and the skin region
    if (bits_per_pixel == 32) static_cast<DWORD*>(bits)[0] = static_cast<DWORD*>(bits)[5] = kKey;
  }
  if (bits_out) *bits_out = bits;
  return bitmap;
}

std::string bytes_of(const CStringT& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

RECT rect_in_parent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The world the calls run in: windows, a tray icon, a target context, skin bitmaps, a file
// and clipboard text. Every step is checked: a missing piece would turn calls into no-ops.
struct World {
  HWND main = nullptr;
  HWND child = nullptr;
  CWnd main_wnd, child_wnd;
  CDC target;
  CBitmap canvas, skin, overlay, gray_me, copy_to;
  DWORD* canvas_bits = nullptr;
  DWORD* skin_bits = nullptr;
  DWORD* overlay_bits = nullptr;
  unsigned char* gray_bits = nullptr;
  CRgn region;
  CBitmap* old = nullptr;
  std::string file;
  std::string content = std::string("hello\0world", 11);

  void set_up() {
    static const bool registered = [] {  // once per process
      WNDCLASSA wc{};
      wc.lpfnWndProc = plain_window_proc;
      wc.lpszClassName = "VeneerLoadTest";
      return RegisterClassA(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    ASSERT_TRUE(HeadlessStartShell(0));
    main = CreateWindowExA(0, "VeneerLoadTest", "load", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
    child = CreateWindowExA(0, "VeneerLoadTest", "child", WS_CHILD | WS_VISIBLE, 5, 5, 50, 20, main, nullptr, nullptr,
                            nullptr);
    ASSERT_TRUE(main && child);
    main_wnd.m_hWnd = main;
    child_wnd.m_hWnd = child;
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main;
    icon.uID = 7;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &icon));
    ASSERT_TRUE(target.Attach(CreateCompatibleDC(nullptr)));
    void* bits[4] = {};
    ASSERT_TRUE(canvas.Attach(make_dib(kCanvas, kCanvas, 32, &bits[0])));
    ASSERT_TRUE(skin.Attach(make_dib(48, 32, 32, &bits[1])));
    ASSERT_TRUE(overlay.Attach(make_dib(8, 8, 32, &bits[2])));
    ASSERT_TRUE(gray_me.Attach(make_dib(17, 9, 24, &bits[3])));
    canvas_bits = static_cast<DWORD*>(bits[0]);
    skin_bits = static_cast<DWORD*>(bits[1]);
    overlay_bits = static_cast<DWORD*>(bits[2]);
    gray_bits = static_cast<unsigned char*>(bits[3]);
    old = target.SelectObject(&canvas);
    ASSERT_NE(old, nullptr);
    file = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/veneer-load-" +
           std::to_string(GetCurrentProcessId());
    AfxSaveToFile(CStringT(content.data(), static_cast<int>(content.size())), file.c_str());
    ASSERT_EQ(bytes_of(AfxReadFromFile(file.c_str())), content);
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard());
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 9);
    ASSERT_NE(text, nullptr);
    std::memcpy(GlobalLock(text), "clip 123", 9);
    GlobalUnlock(text);
    ASSERT_NE(SetClipboardData(CF_TEXT, text), nullptr);
    ASSERT_TRUE(CloseClipboard());
  }
  ~World() {
    if (old) target.SelectObject(old);
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main;
    icon.uID = 7;
    Shell_NotifyIconA(NIM_DELETE, &icon);
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    DestroyWindow(main);
    HeadlessStopShell();
    std::remove(file.c_str());
  }

  // The target blanked, then whether the drawing changed any of it.
  void blank() { std::fill(canvas_bits, canvas_bits + kCanvas * kCanvas, kBlank); }
  bool drawn() const {
    for (int i = 0; i < kCanvas * kCanvas; ++i)
      if (canvas_bits[i] != kBlank) return true;
    return false;
  }
};

// One export as the load runs it: true when the call did its work.
struct Op {
  const char* name;
  int weight;
  std::function<bool(World&, std::mt19937&)> run;
};

template <typename Draw>
bool draws(World& w, Draw&& draw) {
  w.blank();
  draw();
  return w.drawn();
}

std::vector<Op> operations() {
  return {
      {"AfxEncryptString", 40,
       [](World&, std::mt19937& r) {
         const std::string s = std::to_string(r());
         const std::string once = bytes_of(AfxEncryptString(CStringT(s.c_str())));
         return once.size() == s.size() && static_cast<unsigned char>(once[0]) == 255 - s[0];
       }},
      {"AfxUrlEncode", 40,
       [](World&, std::mt19937&) { return bytes_of(AfxUrlEncode("a b&c=d\xE4\n")) == "a+b%26c%3Dd%E4%0A"; }},
      {"AfxGetFileExtName", 40,
       [](World&, std::mt19937&) { return bytes_of(AfxGetFileExtName("dir.old\\photo.JPG")) == "JPG"; }},
      {"AfxCaclStringLength", 10, [](World&, std::mt19937&) { return AfxCaclStringLength("A&&B title", nullptr) > 0; }},
      {"AfxGetFileSize", 4,
       [](World& w, std::mt19937&) { return AfxGetFileSize(w.file.c_str()) == static_cast<long>(w.content.size()); }},
      {"AfxReadFromFile", 4,
       [](World& w, std::mt19937&) { return bytes_of(AfxReadFromFile(w.file.c_str())) == w.content; }},
      {"AfxSaveToFile", 1,
       [](World& w, std::mt19937& r) {
         w.content = std::string("x\0y", 3) + std::to_string(r() % 1000);
         AfxSaveToFile(CStringT(w.content.data(), static_cast<int>(w.content.size())), w.file.c_str());
         return AfxGetFileSize(w.file.c_str()) == static_cast<long>(w.content.size());
       }},
      {"AfxGetAppPath", 20, [](World&, std::mt19937&) { return !AfxGetAppPath().IsEmpty(); }},
      {"AfxGetClipboardText", 10, [](World&, std::mt19937&) { return bytes_of(AfxGetClipboardText()) == "clip 123"; }},
      {"AfxCleanMemory", 2,
       [](World& w, std::mt19937&) {
         set_working_set_size(30000000);  // above the trim threshold
         const unsigned before = working_set_trims();
         AfxCleanMemory(&w.main_wnd, 1);
         clear_working_set_size();
         return working_set_trims() == before + 1;
       }},
      {"AfxShowOnTopWindow", 10,
       [](World& w, std::mt19937&) {
         SetForegroundWindow(GetDesktopWindow());
         AfxShowOnTopWindow(w.main);
         return GetForegroundWindow() == w.main;
       }},
      {"AfxCenterDesktop", 10,
       [](World& w, std::mt19937& r) {
         const int width = 300 + static_cast<int>(r() % 3);
         AfxCenterDesktop(w.main, width, 199);
         RECT rect{};
         GetWindowRect(w.main, &rect);
         return rect.right - rect.left == width && rect.bottom - rect.top == 199;
       }},
      {"AfxOffSetCtrl", 10,
       [](World& w, std::mt19937&) {
         const RECT before = rect_in_parent(w.child);
         AfxOffSetCtrl(w.main, w.child, 1, -1, 0, 0);
         const RECT after = rect_in_parent(w.child);
         return after.left == before.left + 1 && after.top == before.top - 1;
       }},
      {"AfxOffSetCtrlWnd", 10,
       [](World& w, std::mt19937&) {
         const RECT before = rect_in_parent(w.child);
         AfxOffSetCtrlWnd(&w.main_wnd, &w.child_wnd, -1, 1, 50, 0);
         const RECT after = rect_in_parent(w.child);
         return after.left == before.left - 1 && after.top == before.top + 1 && after.right - after.left == 50;
       }},
      {"AfxFlashWindow", 10,
       [](World& w, std::mt19937&) {
         const unsigned before = flash_state(w.main).requests;
         AfxFlashWindow(w.main, 3);
         return flash_state(w.main).requests == before + 1;
       }},
      {"AfxTrayNotifyWnd", 10, [](World&, std::mt19937&) { return AfxTrayNotifyWnd() != nullptr; }},
      {"AfxTrayNotifyToolbarWnd", 10, [](World&, std::mt19937&) { return AfxTrayNotifyToolbarWnd() != nullptr; }},
      {"AfxAnimate2Tray", 10,
       [](World& w, std::mt19937&) {
         const unsigned before = last_caption_animation().count;
         AfxAnimate2Tray(w.main);
         return last_caption_animation().count == before + 1;
       }},
      {"AfxFindTrayIconPosition", 10,
       [](World& w, std::mt19937&) {
         CRect r;
         return AfxFindTrayIconPosition(w.main, 7, r) != 0 && r.Width() > 0 && r.Height() > 0;
       }},
      {"AfxDrawNormalBitmap", 10,
       [](World& w, std::mt19937&) {
         return draws(w, [&] { AfxDrawNormalBitmap(&w.target, &w.skin, CPoint(2, 3), CRect(4, 4, 30, 20)); });
       }},
      {"AfxDrawStretchBitmap", 10,
       [](World& w, std::mt19937&) {
         return draws(w, [&] { AfxDrawStretchBitmap(&w.target, &w.skin, CPoint(0, 0), 16, 8, CRect(0, 0, 40, 30)); });
       }},
      {"AfxDrawSingleLine", 10,
       [](World& w, std::mt19937&) {
         return draws(w, [&] { AfxDrawSingleLine(&w.target, CPoint(0, 5), CPoint(60, 40), RGB(10, 20, 30)); });
       }},
      {"AfxGradientFillRect", 10,
       [](World& w, std::mt19937& r) {
         CRect rect(0, 0, 64, 64);
         return draws(w, [&] {
           AfxGradientFillRect(&w.target, rect, RGB(255, 0, 0), RGB(0, 0, 255), static_cast<int>(r() & 1));
         });
       }},
      {"AfxDrawHoriRectEx", 10,
       [](World& w, std::mt19937&) {
         return draws(w,
                      [&] { AfxDrawHoriRectEx(&w.target, &w.skin, CPoint(0, 0), 20, 10, CRect(0, 0, 60, 12), 4, 4); });
       }},
      {"AfxDrawVertRectEx", 10,
       [](World& w, std::mt19937&) {
         return draws(w, [&] { AfxDrawVertRectEx(&w.target, &w.skin, CPoint(0, 0), 6, 20, CRect(0, 0, 6, 60), 4, 4); });
       }},
      {"AfxDrawRect", 10,
       [](World& w, std::mt19937&) {
         return draws(w, [&] { AfxDrawRect(&w.target, &w.skin, CPoint(0, 0), 11, 10, CRect(0, 0, 60, 10)); });
       }},
      {"AfxDrawVertRect", 10,
       [](World& w, std::mt19937&) {
         return draws(w, [&] { AfxDrawVertRect(&w.target, &w.skin, CPoint(0, 0), 6, 11, CRect(0, 0, 6, 60)); });
       }},
      {"AfxDrawTransBitmap", 10,
       [](World& w, std::mt19937&) {
         return draws(w, [&] { AfxDrawTransBitmap(&w.target, &w.skin, CPoint(0, 0), CRect(3, 3, 19, 19), kKey); });
       }},
      {"AfxOverlapBitmap", 10,
       [](World& w, std::mt19937&) {
         AfxOverlapBitmap(&w.skin, &w.overlay, CPoint(40, 28));
         // A pixel of the overlay that is not the key lands on the base.
         return (w.skin_bits[(28 + 1) * 48 + 40 + 1] & 0xFFFFFF) == (w.overlay_bits[8 + 1] & 0xFFFFFF);
       }},
      {"AfxConvertToGray24", 10,
       [](World& w, std::mt19937&) {
         AfxConvertToGray24(&w.gray_me);
         return w.gray_bits[0] == w.gray_bits[1] && w.gray_bits[1] == w.gray_bits[2];
       }},
      {"AfxCopyBitmap", 10,
       [](World& w, std::mt19937&) {
         BITMAP b{};
         return AfxCopyBitmap(&w.overlay, &w.copy_to) != 0 && w.copy_to.GetBitmap(&b) && b.bmWidth == 8;
       }},
      {"AfxCreateSkinRegion", 10,
       [](World& w, std::mt19937&) {
         RECT box{};
         return AfxCreateSkinRegion(&w.skin, &w.region) != 0 &&
                GetRgnBox(static_cast<HRGN>(w.region.GetSafeHandle()), &box) != NULLREGION;
       }},
  };
}

long calls_to_make() {
  const char* env = std::getenv("VENEER_LOAD_CALLS");
  return env ? std::atol(env) : VENEER_LOAD_DEFAULT_CALLS;
}

TEST(Load, AMillionMixedCallsDoTheirWorkAndLeaveNothingBehind) {
  const long calls = calls_to_make();
  const std::vector<Op> ops = operations();
  ASSERT_EQ(ops.size(), 32u) << "every export takes part";
  std::vector<int> cumulative;
  int total = 0;
  for (const Op& op : ops) cumulative.push_back(total += op.weight);

  const LiveCounts before = live_counts();
  std::size_t rss_warm = 0;
  {
    World world;
    ASSERT_NO_FATAL_FAILURE(world.set_up());
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> pick(0, total - 1);
    std::vector<long> counts(ops.size()), failures(ops.size());
    for (long i = 0; i < calls; ++i) {
      if (i == calls / 10) rss_warm = resident_size();  // after warm-up: caches and pools are full
      int p = pick(rng);
      std::size_t k = 0;
      while (cumulative[k] <= p) ++k;
      if (!ops[k].run(world, rng)) ++failures[k];
      ++counts[k];
    }
    for (std::size_t k = 0; k < ops.size(); ++k) {
      EXPECT_GT(counts[k], 0) << ops[k].name << " never ran";
      EXPECT_EQ(failures[k], 0) << ops[k].name << " did not do its work in " << failures[k] << " of " << counts[k]
                                << " calls";
    }
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

// Each export alone: 8192 calls after a warm-up of 1024. A leak of 64 bytes a call (80 with
// the allocator's header) grows the resident size by 640 KiB; the slack allowed is 256 KiB.
// Not under AddressSanitizer, whose quarantine grows the resident size anyway and whose own
// leak check finds such leaks.
#if !defined(__SANITIZE_ADDRESS__)
TEST(Load, NoSingleExportGrowsTheResidentSize) {
  constexpr int warm_up = 1024, measured = 8192;
  constexpr std::size_t slack = 256 * 1024;
  const std::vector<Op> ops = operations();
  World world;
  ASSERT_NO_FATAL_FAILURE(world.set_up());
  std::mt19937 rng(7);
  for (const Op& op : ops) {
    for (int i = 0; i < warm_up; ++i) op.run(world, rng);
    const std::size_t start = resident_size();
    long failures = 0;
    for (int i = 0; i < measured; ++i) failures += op.run(world, rng) ? 0 : 1;
    const std::size_t end = resident_size();
    EXPECT_EQ(failures, 0) << op.name;
    EXPECT_LE(end, start + slack) << op.name << " grew the resident size by " << (end - start) / 1024 << " KiB in "
                                  << measured << " calls";
    std::printf("load: %-24s %+6lld KiB over %d calls\n", op.name,
                (static_cast<long long>(end) - static_cast<long long>(start)) / 1024, measured);
  }
}
#endif

}  // namespace
