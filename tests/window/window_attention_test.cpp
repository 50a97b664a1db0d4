// Flashing and the caption animation towards the tray.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/desktop_fixture.h"
#include <veneer/veneer.h>

namespace veneer::test {
namespace {

class WindowAttention : public DesktopTest {};

TEST_F(WindowAttention, FlashWindowAsksForTheTrayButtonUntilForeground) {
  HWND w = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  const unsigned calls = spy::last_flash(w).calls;
  AfxFlashWindow(w, -3);
  spy::Flash f = spy::last_flash(w);
  EXPECT_EQ(f.calls, calls + 1);
  EXPECT_EQ(f.window, w);
  EXPECT_EQ(f.flags, static_cast<DWORD>(FLASHW_TRAY | FLASHW_TIMERNOFG));
  EXPECT_EQ(f.count, 0xFFFFFFFDu) << "a negative count passes bit for bit";
  EXPECT_EQ(f.timeout, 400u);
}

TEST_F(WindowAttention, FlashWindowDoesNothingWithoutTheEntryPoint) {
  HWND w = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  const unsigned calls = spy::last_flash(w).calls;
  spy::set_flash_entry_missing(true);
  AfxFlashWindow(w, 5);
  EXPECT_EQ(spy::last_flash(w).calls, calls);
  spy::set_flash_entry_missing(false);
  AfxFlashWindow(w, 5);  // looked up again at each call
  EXPECT_EQ(spy::last_flash(w).calls, calls + 1);
}

TEST_F(WindowAttention, AnimateToTrayTargetsABoxInThePager) {
  HWND w = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 300, 200);
  // The pager's left edge on the screen: the notification area at 700, the pager 20 into it.
  const int L = tray_screen_left + 20;
  struct Case {
    int width, left, right;
  } cases[] = {{100, L + 25, L + 75}, {81, L + 15, L + 65}, {80, L, L + 50}, {51, L, L + 50},
               {50, L, L + 50},       {30, L, L + 30},      {0, L, L}};
  for (const Case& c : cases) {
    TrayRequest request;
    request.pager_width = c.width;
    TrayReport report = OtherProcess::get().build_tray(request);
    ASSERT_TRUE(report.ok);
    const unsigned before = spy::last_animation().count;
    AfxAnimate2Tray(w);
    spy::Animation a = spy::last_animation();
    ASSERT_EQ(a.count, before + 1) << "width " << c.width;
    EXPECT_EQ(a.window, w);
    EXPECT_EQ(a.animation, IDANI_CAPTION);
    EXPECT_PRED2(same_rect, a.from, (RECT{10, 20, 310, 220}));
    EXPECT_PRED2(same_rect, a.to, (RECT{c.left, tray_screen_top + 2, c.right, tray_screen_top + 30}))
        << "width " << c.width;
  }
}

TEST_F(WindowAttention, AnimateToTrayUsesTheNotificationAreaWithoutPager) {
  HWND w = make_window(WS_POPUP | WS_VISIBLE, 10, 20, 300, 200);
  TrayRequest request;
  request.shape = TrayShape::NoPager;
  ASSERT_TRUE(OtherProcess::get().build_tray(request).ok);
  const unsigned before = spy::last_animation().count;
  AfxAnimate2Tray(w);
  spy::Animation a = spy::last_animation();
  ASSERT_EQ(a.count, before + 1);
  // 300 wide: a 50-pixel box centred, 125 pixels in.
  EXPECT_PRED2(same_rect, a.to,
               (RECT{tray_screen_left + 125, tray_screen_top, tray_screen_left + 175, tray_screen_top + 32}));
}

TEST_F(WindowAttention, AnimateToTrayGuards) {
  HWND hidden = make_window(WS_POPUP, 10, 20, 300, 200);
  HWND minimised = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 300, 200);
  ShowWindow(minimised, SW_MINIMIZE);
  HWND parent = make_window(WS_POPUP, 0, 0, 300, 200);
  HWND child_of_hidden = make_window(WS_CHILD | WS_VISIBLE, 0, 0, 30, 20, parent);
  ASSERT_TRUE(OtherProcess::get().build_tray(TrayRequest{}).ok);
  const unsigned before = spy::last_animation().count;
  AfxAnimate2Tray(hidden);
  AfxAnimate2Tray(minimised);  // visible and a window, but minimised
  AfxAnimate2Tray(child_of_hidden);
  AfxAnimate2Tray(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340)));
  EXPECT_EQ(spy::last_animation().count, before);

  // No taskbar at all: nothing to animate towards.
  OtherProcess::get().destroy_tray();
  HWND shown = make_window(WS_POPUP | WS_VISIBLE, 10, 20, 300, 200);
  AfxAnimate2Tray(shown);
  EXPECT_EQ(spy::last_animation().count, before);
}

TEST_F(WindowAttention, NullMadeUpAndDestroyedWindowsAreNotFlashedOrAnimated) {
  HWND shown = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  HWND gone = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  DestroyWindow(gone);
  ASSERT_TRUE(OtherProcess::get().build_tray(TrayRequest{}).ok);
  const unsigned animations = spy::last_animation().count;
  const unsigned flashes = spy::last_flash(shown).calls;
  for (HWND bad : {static_cast<HWND>(nullptr), gone, reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340))}) {
    AfxAnimate2Tray(bad);
    // The flash request goes to the platform as it is, which refuses it.
    AfxFlashWindow(bad, 3);
#ifdef _WIN32
    EXPECT_EQ(spy::last_flash(bad).window, bad);
#endif
  }
  EXPECT_EQ(spy::last_animation().count, animations);
#ifndef _WIN32
  EXPECT_EQ(spy::last_flash(shown).calls, flashes) << "another window flashed";
#else
  (void)flashes;
#endif
}

TEST_F(WindowAttention, TrayLookupsFollowTheChain) {
  EXPECT_EQ(AfxTrayNotifyWnd(), nullptr);
  EXPECT_EQ(AfxTrayNotifyToolbarWnd(), nullptr);

  TrayReport full = OtherProcess::get().build_tray(TrayRequest{});
  ASSERT_TRUE(full.ok);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(AfxTrayNotifyWnd()), full.notify);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(AfxTrayNotifyToolbarWnd()), full.toolbar);

  // Without the pager the notification area is still found, the toolbar is not.
  TrayRequest no_pager;
  no_pager.shape = TrayShape::NoPager;
  TrayReport flat = OtherProcess::get().build_tray(no_pager);
  ASSERT_TRUE(flat.ok);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(AfxTrayNotifyWnd()), flat.notify);
  EXPECT_EQ(AfxTrayNotifyToolbarWnd(), nullptr);

  TrayRequest no_toolbar;
  no_toolbar.shape = TrayShape::NoToolbar;
  ASSERT_TRUE(OtherProcess::get().build_tray(no_toolbar).ok);
  EXPECT_EQ(AfxTrayNotifyToolbarWnd(), nullptr);
}

}  // namespace
}  // namespace veneer::test
