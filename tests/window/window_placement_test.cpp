// Placement exports on real windows: centring in the work area, moving a child control,
// bringing a window to the top.
#include <gtest/gtest.h>

#include <climits>

#include "tests/support/desktop_fixture.h"
#include <veneer/veneer.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {
namespace {

class WindowPlacement : public DesktopTest {};

RECT window_rect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

TEST_F(WindowPlacement, CenterDesktopCentresInTheWorkArea) {
  HWND w = make_window(WS_POPUP | WS_VISIBLE, 5, 5, 10, 10);
  struct Case {
    RECT work;
    int width, height;
    RECT expected;
  } cases[] = {
      {{0, 0, 800, 570}, 300, 200, {250, 185, 550, 385}},
      // A work area off the origin (a taskbar at the left) is centred in, not beside.
      {{60, 0, 860, 600}, 300, 200, {310, 200, 610, 400}},
      {{0, 40, 1024, 768}, 301, 201, {361, 303, 662, 504}},
      // Wider than the work area: the halving truncates towards zero, -3 / 2 = -1.
      {{0, 0, 800, 570}, 803, 100, {-1, 235, 802, 335}},
      {{60, 0, 860, 600}, 803, 601, {59, 0, 862, 601}},
  };
  for (const Case& c : cases) {
    set_work_area(c.work);
    AfxCenterDesktop(w, c.width, c.height);
    EXPECT_PRED2(same_rect, window_rect(w), c.expected)
        << "work area " << c.work << " size " << c.width << "x" << c.height;
  }
}

TEST_F(WindowPlacement, CenterDesktopGuards) {
  HWND w = make_window(WS_POPUP | WS_VISIBLE, 5, 6, 70, 80);
  const RECT before = window_rect(w);
  AfxCenterDesktop(w, 0, 100);
  AfxCenterDesktop(w, 100, -5);
  AfxCenterDesktop(w, -1, -1);
  EXPECT_PRED2(same_rect, window_rect(w), before);
  HWND gone = make_window(WS_POPUP, 0, 0, 10, 10);
  DestroyWindow(gone);
  AfxCenterDesktop(gone, 100, 100);  // a destroyed window is not a window
  AfxCenterDesktop(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340)), 100, 100);
  EXPECT_PRED2(same_rect, window_rect(w), before);
}

TEST_F(WindowPlacement, OffSetCtrlMovesWithinTheParentsClientArea) {
  // A captioned parent: client coordinates differ from window coordinates by the frame.
  HWND parent = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300);
  HWND control = make_window(WS_CHILD | WS_VISIBLE, 10, 20, 80, 24, parent);
  AfxOffSetCtrl(parent, control, 5, -3, 120, 0);
  EXPECT_PRED2(same_rect, rect_in_parent(control), (RECT{15, 17, 135, 41}));

  // No offset and no new size: the control stays where it is, with its size, and is redrawn.
  const int painted = paints(control);
  AfxOffSetCtrl(parent, control, 0, 0, 0, 0);
  EXPECT_PRED2(same_rect, rect_in_parent(control), (RECT{15, 17, 135, 41}));
  EXPECT_EQ(paints(control), painted + 1);

  AfxOffSetCtrl(parent, control, -20, 4, 0, 50);
  EXPECT_PRED2(same_rect, rect_in_parent(control), (RECT{-5, 21, 115, 71}));
}

// A control carried to the end of the int range is found there again: its rectangle on the
// screen, and back in the parent's client area, wrap as 32-bit sums.
TEST_F(WindowPlacement, OffSetCtrlAgainNearTheEndOfTheRange) {
#ifdef _WIN32
  GTEST_SKIP() << "Win32 keeps window positions within the 16-bit range (Wine puts this control at 32767); the "
                  "headless platform takes the whole int range, where its own sums must wrap";
#endif
  HWND parent = make_window(WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
  HWND control = make_window(WS_CHILD | WS_VISIBLE, 10, 20, 80, 24, parent);
  AfxOffSetCtrl(parent, control, INT_MAX - 50, INT_MAX - 50, 0, 0);
  const RECT first = rect_in_parent(control);
  EXPECT_EQ(first.left, INT_MAX - 40);
  EXPECT_EQ(first.top, INT_MAX - 30);
  AfxOffSetCtrl(parent, control, 0, 0, 0, 0);
  EXPECT_PRED2(same_rect, rect_in_parent(control), first);
  AfxOffSetCtrl(parent, control, 60, 60, 0, 0);
  EXPECT_EQ(rect_in_parent(control).left, INT_MIN + 19) << "past the end, the position wraps";
}

TEST_F(WindowPlacement, OffSetCtrlGuardsAndFrameworkObjects) {
  HWND parent = make_window(WS_POPUP | WS_VISIBLE, 0, 0, 300, 200);
  HWND control = make_window(WS_CHILD | WS_VISIBLE, 10, 20, 80, 24, parent);
  const RECT start = rect_in_parent(control);
  HWND bogus = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340));
  AfxOffSetCtrl(bogus, control, 5, 5, 0, 0);
  AfxOffSetCtrl(parent, bogus, 5, 5, 0, 0);
  CWnd parent_object(parent), control_object(control);
  AfxOffSetCtrlWnd(nullptr, &control_object, 5, 5, 0, 0);
  AfxOffSetCtrlWnd(&parent_object, nullptr, 5, 5, 0, 0);
  EXPECT_PRED2(same_rect, rect_in_parent(control), start);
  EXPECT_EQ(paints(control), 0);

  AfxOffSetCtrlWnd(&parent_object, &control_object, 1, 2, 0, 30);
  EXPECT_PRED2(same_rect, rect_in_parent(control), (RECT{11, 22, 91, 52}));
}

TEST_F(WindowPlacement, NullAndDestroyedWindowsAndExtremeSizes) {
  HWND w = make_window(WS_POPUP | WS_VISIBLE, 5, 6, 70, 80);
  HWND parent = make_window(WS_POPUP | WS_VISIBLE, 0, 0, 300, 200);
  HWND control = make_window(WS_CHILD | WS_VISIBLE, 10, 20, 80, 24, parent);
  HWND gone = make_window(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  DestroyWindow(gone);
  const RECT before = window_rect(w);
  const RECT control_before = rect_in_parent(control);
  HWND foreground = GetForegroundWindow();
  for (HWND bad : {static_cast<HWND>(nullptr), gone}) {
    AfxShowOnTopWindow(bad);
    AfxCenterDesktop(bad, 100, 100);
    AfxOffSetCtrl(bad, control, 5, 5, 10, 10);
    AfxOffSetCtrl(parent, bad, 5, 5, 10, 10);
  }
  EXPECT_EQ(GetForegroundWindow(), foreground);
  // Window objects that hold no window.
  CWnd unattached, parent_object(parent), control_object(control);
  AfxOffSetCtrlWnd(&unattached, &control_object, 5, 5, 0, 0);
  AfxOffSetCtrlWnd(&parent_object, &unattached, 5, 5, 0, 0);
  EXPECT_PRED2(same_rect, rect_in_parent(control), control_before);
  EXPECT_EQ(paints(control), 0);

  // Sizes at the ends of the int range are passed on; the window takes what the platform
  // makes of them, and still answers.
  set_work_area(RECT{0, 0, 800, 600});
  AfxCenterDesktop(w, INT_MIN, 100);  // not a size: no effect
  EXPECT_PRED2(same_rect, window_rect(w), before);
  AfxCenterDesktop(w, INT_MAX, INT_MAX);
  EXPECT_TRUE(IsWindow(w));
  // Offsets that would carry the control past the int range, and negative new sizes (kept).
  AfxOffSetCtrl(parent, control, INT_MAX, INT_MIN, -5, -5);
  EXPECT_TRUE(IsWindow(control));
  const RECT moved = rect_in_parent(control);
  EXPECT_EQ(moved.right - moved.left, control_before.right - control_before.left) << "a negative width is no new width";
  EXPECT_EQ(moved.bottom - moved.top, control_before.bottom - control_before.top);
}

// Our own top-level windows from the top of the z-order down.
std::vector<HWND> stacking(std::initializer_list<HWND> ours) {
  std::vector<HWND> out;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    for (HWND o : ours)
      if (h == o) out.push_back(h);
  return out;
}

TEST_F(WindowPlacement, ShowOnTopRestoresAMinimisedWindow) {
  HWND host = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 60, 300, 200);
  HWND other = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 90, 300, 200);
  ShowWindow(host, SW_MINIMIZE);
  SetForegroundWindow(other);
  ASSERT_TRUE(IsIconic(host));
  AfxShowOnTopWindow(host);
  EXPECT_FALSE(IsIconic(host));
  EXPECT_PRED2(same_rect, window_rect(host), (RECT{50, 60, 350, 260}));
  EXPECT_EQ(GetForegroundWindow(), host);
  EXPECT_EQ(stacking({host, other}), (std::vector<HWND>{host, other}));
}

TEST_F(WindowPlacement, ShowOnTopRaisesAWindowCoveredByAnotherProcess) {
  HWND host = make_window(WS_POPUP | WS_VISIBLE, 50, 60, 300, 200);
  HWND covering = OtherProcess::get().show_foreground_window();
  ASSERT_NE(covering, nullptr);
  ASSERT_EQ(GetForegroundWindow(), covering);
  const long handles = spy::open_process_handles();
  AfxShowOnTopWindow(host);
  if (running_under_wine())
    EXPECT_TRUE(GetForegroundWindow() == host || GetForegroundWindow() == nullptr);
  else
    EXPECT_EQ(GetForegroundWindow(), host);
  EXPECT_EQ(stacking({host, covering}), (std::vector<HWND>{host, covering}));
  EXPECT_PRED2(same_rect, window_rect(host), (RECT{50, 60, 350, 260})) << "a visible window is not moved";
  EXPECT_EQ(spy::open_process_handles(), handles);
#ifndef _WIN32
  // The input joined for the raise is separated again.
  EXPECT_FALSE(veneer::headless::testing::input_attached(GetCurrentThreadId(), OtherProcess::get().thread_id()));
#endif
  HWND foreground = GetForegroundWindow();
  AfxShowOnTopWindow(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340)));  // not a window: nothing
  EXPECT_EQ(GetForegroundWindow(), foreground);
}

}  // namespace
}  // namespace veneer::test
