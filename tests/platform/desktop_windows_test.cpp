// Conformance of the desktop's windows with Win32 as Wine shows it: written against the Win32
// API, so it runs on Wine and on the headless platform alike.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/desktop_fixture.h"
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {
namespace {

class DesktopWindows : public DesktopTest {};

const HWND made_up = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340));

RECT window_rect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

RECT client_on_screen(HWND w) {
  RECT c{};
  GetClientRect(w, &c);
  POINT o{0, 0};
  ClientToScreen(w, &o);
  return RECT{o.x, o.y, o.x + c.right, o.y + c.bottom};
}

std::vector<HWND> stacking(std::initializer_list<HWND> ours) {
  std::vector<HWND> out;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    for (HWND o : ours)
      if (h == o) out.push_back(h);
  return out;
}

TEST_F(DesktopWindows, TheFrameFollowsTheStyle) {
  struct Case {
    DWORD style, ex_style;
    RECT client;  // on the screen, for a window at (10, 20) sized 300 x 200
  } cases[] = {
      {WS_OVERLAPPEDWINDOW, 0, {14, 43, 306, 216}},     {WS_POPUP, 0, {10, 20, 310, 220}},
      {WS_POPUP | WS_BORDER, 0, {11, 21, 309, 219}},    {WS_POPUP | WS_CAPTION, 0, {13, 42, 307, 217}},
      {WS_POPUP | WS_DLGFRAME, 0, {13, 23, 307, 217}},  {WS_POPUP | WS_THICKFRAME, 0, {13, 23, 307, 217}},
      {WS_OVERLAPPED, 0, {13, 42, 307, 217}},  // an overlapped window always has a caption
      {WS_POPUP, WS_EX_CLIENTEDGE, {12, 22, 308, 218}}, {WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, {14, 40, 306, 216}},
  };
  for (const Case& c : cases) {
    HWND w = make_window(c.style, 10, 20, 300, 200, nullptr, c.ex_style);
    EXPECT_PRED2(same_rect, window_rect(w), (RECT{10, 20, 310, 220}));
    EXPECT_PRED2(same_rect, client_on_screen(w), c.client) << std::hex << "style " << c.style << " ex " << c.ex_style;
    DestroyWindow(w);
  }
}

TEST_F(DesktopWindows, SizesKeepToTheTrackingLimits) {
  HWND overlapped = make_window(WS_OVERLAPPEDWINDOW, 10, 20, 5, 3);
  EXPECT_PRED2(same_rect, window_rect(overlapped), (RECT{10, 20, 122, 47}));
  SetWindowPos(overlapped, nullptr, 0, 0, 3000, 3000, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_PRED2(same_rect, window_rect(overlapped), (RECT{0, 0, 1036, 780}));
  SetWindowPos(overlapped, nullptr, 5, 6, -5, -7, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_PRED2(same_rect, window_rect(overlapped), (RECT{5, 6, 117, 33}));
  HWND popup = make_window(WS_POPUP, 10, 20, 5, 3);
  EXPECT_PRED2(same_rect, window_rect(popup), (RECT{10, 20, 15, 23}));
  MoveWindow(popup, 10, 10, -5, -5, TRUE);
  EXPECT_PRED2(same_rect, window_rect(popup), (RECT{10, 10, 10, 10}));
}

TEST_F(DesktopWindows, MinimiseRestoreMaximise) {
  HWND w = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200);
  HWND child = make_window(WS_CHILD | WS_VISIBLE, 10, 20, 80, 24, w);
  EXPECT_TRUE(ShowWindow(w, SW_MINIMIZE)) << "it was visible";
  EXPECT_TRUE(IsIconic(w));
  EXPECT_TRUE(IsWindowVisible(w)) << "a minimised window stays visible";
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_FALSE(IsIconic(child));
  EXPECT_PRED2(same_rect, window_rect(w), (RECT{-32000, -32000, -31840, -31976}));
  EXPECT_PRED2(same_rect, client_on_screen(w), (RECT{-32000, -32000, -32000, -32000}));
  EXPECT_PRED2(same_rect, window_rect(child), (RECT{-31990, -31980, -31910, -31956}));
  ShowWindow(w, SW_RESTORE);
  EXPECT_FALSE(IsIconic(w));
  EXPECT_PRED2(same_rect, window_rect(w), (RECT{100, 100, 400, 300}));

  ShowWindow(w, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(w));
  EXPECT_PRED2(same_rect, window_rect(w), (RECT{-4, -4, 1028, 772})) << "the frame lies outside the screen";
  EXPECT_PRED2(same_rect, client_on_screen(w), (RECT{0, 19, 1024, 768}));
  ShowWindow(w, SW_MINIMIZE);
  ShowWindow(w, SW_RESTORE);
  EXPECT_TRUE(IsZoomed(w)) << "restoring a window minimised from maximised maximises it";
  ShowWindow(w, SW_RESTORE);
  EXPECT_FALSE(IsZoomed(w));
  EXPECT_PRED2(same_rect, window_rect(w), (RECT{100, 100, 400, 300}));
}

TEST_F(DesktopWindows, VisibilityFollowsTheAncestors) {
  HWND parent = make_window(WS_POPUP, 0, 0, 100, 100);
  HWND child = make_window(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent);
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_FALSE(ShowWindow(parent, SW_SHOWNA)) << "it was hidden";
  EXPECT_TRUE(IsWindowVisible(child));
  ShowWindow(child, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_TRUE(IsWindowVisible(parent));
}

int destroy_log[8];
int destroy_count = 0;
HWND logged_parent = nullptr;

LRESULT CALLBACK logging_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if ((m == WM_DESTROY || m == WM_NCDESTROY) && destroy_count < 8)
    destroy_log[destroy_count++] = (w == logged_parent ? 10 : 20) + (m == WM_DESTROY ? 1 : 2);
  return DefWindowProcA(w, m, wp, lp);
}

TEST_F(DesktopWindows, DestroyingAWindowTakesItsChildren) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = logging_proc;
  wc.lpszClassName = "VeneerLogging";
  RegisterClassA(&wc);
  logged_parent = CreateWindowExA(0, "VeneerLogging", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "VeneerLogging", "", WS_CHILD, 0, 0, 5, 5, logged_parent, nullptr, nullptr, nullptr);
  destroy_count = 0;
  ASSERT_TRUE(DestroyWindow(logged_parent));
  EXPECT_FALSE(IsWindow(logged_parent));
  EXPECT_FALSE(IsWindow(child));
  // WM_DESTROY parent first, WM_NCDESTROY child first.
  ASSERT_EQ(destroy_count, 4);
  EXPECT_EQ(destroy_log[0], 11);
  EXPECT_EQ(destroy_log[1], 21);
  EXPECT_EQ(destroy_log[2], 22);
  EXPECT_EQ(destroy_log[3], 12);
  EXPECT_FALSE(IsWindow(made_up));
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_TRUE(IsWindow(GetDesktopWindow()));
  UnregisterClassA("VeneerLogging", nullptr);
}

TEST_F(DesktopWindows, InvalidHandlesFailWithTheWindowError) {
  RECT r{7, 7, 7, 7};
  POINT p{5, 5};
  SetLastError(0);
  EXPECT_FALSE(GetWindowRect(made_up, &r));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(r.left, 7);
  EXPECT_FALSE(ScreenToClient(made_up, &p));
  EXPECT_EQ(p.x, 5);
  EXPECT_FALSE(ShowWindow(made_up, SW_SHOW));
  EXPECT_FALSE(SetWindowPos(made_up, nullptr, 0, 0, 0, 0, SWP_NOSIZE));
  EXPECT_FALSE(MoveWindow(made_up, 0, 0, 1, 1, TRUE));
  EXPECT_FALSE(RedrawWindow(made_up, nullptr, nullptr, RDW_INVALIDATE));
  EXPECT_EQ(SendMessageA(made_up, WM_USER, 0, 0), 0);
  EXPECT_FALSE(SetForegroundWindow(made_up));
  EXPECT_EQ(MapWindowPoints(made_up, nullptr, &p, 1), 0);
  SetLastError(0);
  DWORD pid = 5;
  EXPECT_EQ(GetWindowThreadProcessId(made_up, &pid), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(pid, 5u);
}

TEST_F(DesktopWindows, ClassesAndCreationFailures) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "VeneerTwice";
  ASSERT_NE(RegisterClassA(&wc), 0);
  SetLastError(0);
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  UnregisterClassA("VeneerTwice", nullptr);
  SetLastError(0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_EQ(CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
}

TEST_F(DesktopWindows, ShowingAndHidingMoveTheActivation) {
  HWND a = make_window(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND b = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
  EXPECT_EQ(GetForegroundWindow(), b) << "created visible: activated";
  ShowWindow(a, SW_SHOWNA);
  EXPECT_EQ(GetForegroundWindow(), b);
  ShowWindow(a, SW_HIDE);
  ShowWindow(a, SW_SHOW);
  EXPECT_EQ(GetForegroundWindow(), a);
  EXPECT_EQ(stacking({a, b}), (std::vector<HWND>{a, b}));
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(GetForegroundWindow(), b) << "hiding the active window activates the next";
  ShowWindow(a, SW_SHOWNOACTIVATE);
  EXPECT_EQ(GetForegroundWindow(), b);
  ShowWindow(a, SW_SHOWMINNOACTIVE);
  ShowWindow(a, SW_RESTORE);
  EXPECT_EQ(GetForegroundWindow(), a) << "restoring activates";
  EXPECT_EQ(stacking({a, b}), (std::vector<HWND>{a, b}));
  HWND child = make_window(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, a);
  EXPECT_FALSE(SetForegroundWindow(child)) << "a child window cannot be in the foreground";
  EXPECT_TRUE(SetForegroundWindow(b));
  // Activation raises the window on Windows; Wine's null driver leaves a visible window where
  // it is in the z-order (measured), so there only the activation is checked.
  if (!running_under_wine()) {
    EXPECT_EQ(stacking({a, b}), (std::vector<HWND>{b, a})) << "activation raises";
  }
  DestroyWindow(b);
  EXPECT_EQ(GetForegroundWindow(), a) << "destroying the active window activates the next";
}

TEST_F(DesktopWindows, SetWindowPosZOrder) {
  HWND a = make_window(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  HWND b = make_window(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  HWND c = make_window(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  ASSERT_EQ(stacking({a, b, c}), (std::vector<HWND>{c, b, a}));
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, keep);
  EXPECT_EQ(stacking({a, b, c}), (std::vector<HWND>{a, c, b}));
  SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, keep);
  EXPECT_EQ(stacking({a, b, c}), (std::vector<HWND>{c, b, a}));
  SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, keep);
  EXPECT_TRUE(GetWindowLongA(a, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, keep);
  EXPECT_EQ(stacking({a, b, c}), (std::vector<HWND>{a, b, c})) << "a topmost window stays above";
  SetWindowPos(a, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
  EXPECT_FALSE(GetWindowLongA(a, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(stacking({a, b, c}), (std::vector<HWND>{a, b, c}));
  SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, keep);
  SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, keep);
  EXPECT_FALSE(GetWindowLongA(a, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the bottom is not in the topmost band";
  SetWindowPos(a, c, 0, 0, 0, 0, keep);
  EXPECT_EQ(stacking({a, b, c}), (std::vector<HWND>{b, c, a}));
  SetWindowPos(c, HWND_TOP, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(stacking({a, b, c}), (std::vector<HWND>{b, c, a})) << "SWP_NOZORDER";
  EXPECT_PRED2(same_rect, window_rect(c), (RECT{5, 6, 15, 16}));
  SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetForegroundWindow(), c) << "without SWP_NOACTIVATE the window is activated";
  SetWindowPos(c, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
  EXPECT_FALSE(IsWindowVisible(c));
  SetWindowPos(c, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  EXPECT_TRUE(IsWindowVisible(c));
}

TEST_F(DesktopWindows, CoordinatesBetweenWindows) {
  HWND parent = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200);
  HWND child = make_window(WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20, 80, 24, parent);
  POINT p{0, 0};
  ScreenToClient(parent, &p);
  EXPECT_EQ(p.x, -104);
  EXPECT_EQ(p.y, -123);
  RECT r{1, 2, 3, 4};
  EXPECT_EQ(MapWindowPoints(child, nullptr, reinterpret_cast<POINT*>(&r), 2), MAKELONG(115, 144));
  EXPECT_PRED2(same_rect, r, (RECT{116, 146, 118, 148}));
  r = RECT{1, 2, 3, 4};
  EXPECT_EQ(MapWindowPoints(child, parent, reinterpret_cast<POINT*>(&r), 2), MAKELONG(11, 21));
  EXPECT_PRED2(same_rect, r, (RECT{12, 23, 14, 25}));
  EXPECT_EQ(MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2), MAKELONG(-104, -123));
  EXPECT_PRED2(same_rect, window_rect(child), (RECT{114, 143, 194, 167}));
}

TEST_F(DesktopWindows, FindWindowByClassAndTitle) {
  HWND parent = make_window(WS_POPUP, 0, 0, 100, 100, nullptr, 0, "Parent Title");
  HWND c1 = make_window(WS_CHILD, 0, 0, 10, 10, parent, 0, "one");
  HWND c2 = make_window(WS_CHILD, 0, 0, 10, 10, parent, 0, "two");
  HWND other = make_window(WS_POPUP, 0, 0, 10, 10);
  EXPECT_EQ(FindWindowExA(parent, nullptr, "VeneerTestWindow", nullptr), c1) << "children in creation order";
  EXPECT_EQ(FindWindowExA(parent, c1, "veneertestwindow", nullptr), c2);
  EXPECT_EQ(FindWindowExA(parent, c2, nullptr, nullptr), nullptr);
  EXPECT_EQ(FindWindowExA(parent, nullptr, nullptr, "TWO"), c2);
  EXPECT_EQ(FindWindowExA(parent, other, nullptr, nullptr), nullptr) << "not a child of the parent";
  EXPECT_EQ(FindWindowExA(made_up, nullptr, nullptr, nullptr), nullptr);
  SetWindowPos(c2, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(FindWindowExA(parent, nullptr, "VeneerTestWindow", nullptr), c2) << "children in z-order";
  EXPECT_EQ(FindWindowA("VeneerTestWindow", "parent title"), parent);
  EXPECT_EQ(FindWindowExA(nullptr, nullptr, nullptr, "Parent Title"), parent);
  EXPECT_EQ(FindWindowA(nullptr, "one"), nullptr) << "FindWindowA looks at top-level windows only";
  EXPECT_EQ(FindWindowA("Shell_TrayWnd", nullptr), nullptr) << "the desktop starts without a shell";
}

TEST_F(DesktopWindows, ThreadsAndInput) {
  HWND own = make_window(WS_POPUP, 0, 0, 10, 10);
  DWORD pid = 0;
  EXPECT_EQ(GetWindowThreadProcessId(own, &pid), GetCurrentThreadId());
  EXPECT_EQ(pid, GetCurrentProcessId());
  HWND theirs = OtherProcess::get().show_foreground_window();
  ASSERT_NE(theirs, nullptr);
  DWORD their_thread = GetWindowThreadProcessId(theirs, &pid);
  EXPECT_EQ(pid, OtherProcess::get().process_id());
  EXPECT_NE(pid, GetCurrentProcessId());
  EXPECT_EQ(their_thread, OtherProcess::get().thread_id());

  const DWORD me = GetCurrentThreadId();
  SetLastError(0);
  EXPECT_FALSE(AttachThreadInput(me, me, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SetLastError(0);
  EXPECT_FALSE(AttachThreadInput(me, 0, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(AttachThreadInput(me, 0x7777, TRUE)) << "no such thread";
  EXPECT_TRUE(AttachThreadInput(me, their_thread, TRUE));
  EXPECT_TRUE(AttachThreadInput(me, their_thread, FALSE));
}

TEST_F(DesktopWindows, WorkArea) {
  RECT area{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_PRED2(same_rect, area, (RECT{0, 0, 1024, 768}));
  RECT moved{60, 0, 860, 600};
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &moved, 0));
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, sizeof area, &area, 0));
  EXPECT_PRED2(same_rect, area, moved);
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoA(SPI_SETWORKAREA, 0, nullptr, 0));
  RECT r;
  EXPECT_TRUE(SetRect(&r, 1, 2, 3, 4));
  RECT copy{};
  EXPECT_TRUE(CopyRect(&copy, &r));
  EXPECT_PRED2(same_rect, copy, (RECT{1, 2, 3, 4}));
  EXPECT_FALSE(CopyRect(nullptr, &r));
}

TEST_F(DesktopWindows, FlashingAndCaptionAnimation) {
  HWND w = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  FLASHWINFO info{sizeof info, w, FLASHW_TRAY | FLASHW_TIMERNOFG, 3, 400};
  EXPECT_FALSE(FlashWindowEx(&info)) << "it was not flashing";
  FLASHWINFO stop{sizeof stop, w, FLASHW_STOP, 0, 0};
  EXPECT_TRUE(FlashWindowEx(&stop)) << "it was flashing";
  SetLastError(0);
  EXPECT_FALSE(FlashWindowEx(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOACCESS));
  FLASHWINFO bad = info;
  bad.cbSize = 10;
  SetLastError(0);
  EXPECT_FALSE(FlashWindowEx(&bad));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  bad = info;
  bad.hwnd = made_up;
  EXPECT_FALSE(FlashWindowEx(&bad));
  RECT from{0, 0, 10, 10}, to{900, 740, 950, 768};
  EXPECT_TRUE(DrawAnimatedRects(w, IDANI_CAPTION, &from, &to));
#ifndef _WIN32
  using namespace veneer::headless::testing;
  HWND other = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  FlashWindowEx(&info);
  EXPECT_TRUE(flash_state(w).flashing);
  EXPECT_EQ(flash_state(w).count, 3u);
  SetForegroundWindow(other);
  EXPECT_TRUE(flash_state(w).flashing);
  SetForegroundWindow(w);
  EXPECT_FALSE(flash_state(w).flashing) << "FLASHW_TIMERNOFG: until the window comes to the foreground";
  EXPECT_EQ(last_caption_animation().window, w);
  EXPECT_PRED2(same_rect, last_caption_animation().to, to);
#endif
}

TEST_F(DesktopWindows, TheUserModuleHasItsEntryPoints) {
  HMODULE user = GetModuleHandleA("user32.dll");
  ASSERT_NE(user, nullptr);
  EXPECT_NE(GetProcAddress(user, "FlashWindowEx"), nullptr);
  EXPECT_NE(GetProcAddress(user, "SetWindowPos"), nullptr);
  EXPECT_EQ(GetProcAddress(user, "NoSuchThing"), nullptr);
#ifndef _WIN32
  using namespace veneer::headless::testing;
  ASSERT_TRUE(remove_entry_point("user32.dll", "FlashWindowEx"));
  EXPECT_EQ(GetProcAddress(user, "FlashWindowEx"), nullptr);
  ASSERT_TRUE(restore_entry_point("user32.dll", "FlashWindowEx"));
  EXPECT_NE(GetProcAddress(user, "FlashWindowEx"), nullptr);
#endif
}

}  // namespace
}  // namespace veneer::test
