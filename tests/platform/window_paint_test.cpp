// Conformance of window painting: update regions, the messages that paint them and their
// order, the contexts a window draws through, and (on the headless platform) the screen that
// the windows are composed onto.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/desktop_fixture.h"
#include "tests/support/let_time_pass.h"

namespace veneer::test {
namespace {

// What the painting procedure saw, in order. WM_PAINT is answered with BeginPaint, a fill of
// the window's colour (its user data) and EndPaint.
std::vector<std::string>& seen() {
  static std::vector<std::string> log;
  return log;
}

std::string text(const RECT& r) {
  char b[64];
  std::snprintf(b, sizeof b, "%ld,%ld,%ld,%ld", static_cast<long>(r.left), static_cast<long>(r.top),
                static_cast<long>(r.right), static_cast<long>(r.bottom));
  return b;
}

LRESULT CALLBACK painting_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const char* who = GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD ? "child " : "";
  switch (message) {
    case WM_NCPAINT:
      seen().push_back(std::string(who) + "ncpaint");
      break;
    case WM_ERASEBKGND:
      seen().push_back(std::string(who) + "erase");
      break;
    case WM_PAINT: {
      seen().push_back(std::string(who) + "paint");
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      seen().push_back(std::string(who) + "begin " + text(ps.rcPaint) + (ps.fErase ? " erase" : ""));
      const COLORREF colour = static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA));
      if (colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT client{};
        GetClientRect(window, &client);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
      }
      EndPaint(window, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      seen().push_back(std::string(who) + "printclient");
      HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA)));
      const RECT corner{0, 0, 10, 10};
      FillRect(reinterpret_cast<HDC>(wparam), &corner, brush);
      DeleteObject(brush);
      return 0;
    }
    case WM_TIMER:
      seen().push_back("timer");
      return 0;
    case WM_USER:
      seen().push_back("posted");
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

const char* painting_class() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = painting_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "VeneerPaintingWindow";
    registered = RegisterClassA(&wc) != 0;
  }
  return "VeneerPaintingWindow";
}

class WindowPainting : public DesktopTest {
 protected:
  // A hidden window of the painting class, destroyed with the test.
  HWND painting_window(DWORD style, int x, int y, int width, int height, HWND parent = nullptr, COLORREF colour = 0) {
    HWND w = CreateWindowExA(0, painting_class(), "", style, x, y, width, height, parent, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (w) painted_.push_back(w);
    SetWindowLongPtrA(w, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    return w;
  }
  // Dispatches everything waiting; each message taken is logged as "got <what>".
  static void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  static std::vector<std::string> take() {
    std::vector<std::string> log;
    log.swap(seen());
    return log;
  }
  void TearDown() override {
    for (HWND w : painted_)
      if (IsWindow(w)) DestroyWindow(w);
    DesktopTest::TearDown();
  }
  static RECT update_rect(HWND w) {
    RECT r{-1, -1, -1, -1};
    GetUpdateRect(w, &r, FALSE);
    return r;
  }

 private:
  std::vector<HWND> painted_;
};

using Log = std::vector<std::string>;

TEST_F(WindowPainting, ShowingAndUpdatingSendTheFramesBackgroundAndPaintInWin32sOrder) {
  HWND w = painting_window(WS_POPUP, 10, 10, 200, 100);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE)) << "a hidden window has nothing to paint";
  take();
  // Showing draws the frame and background at once and leaves the client area to paint.
  ShowWindow(w, SW_SHOW);
  EXPECT_EQ(take(), (Log{"ncpaint", "erase"}));
  EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
  EXPECT_PRED2(same_rect, update_rect(w), (RECT{0, 0, 200, 100}));
  UpdateWindow(w);
  EXPECT_EQ(take(), (Log{"paint", "begin 0,0,200,100"}));
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  UpdateWindow(w);
  EXPECT_TRUE(take().empty()) << "nothing left to paint";

  // RDW_ERASENOW draws frame and background now; the paint waits in the queue.
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ERASENOW);
  EXPECT_EQ(take(), (Log{"ncpaint", "erase"}));
  pump();
  EXPECT_EQ(take(), (Log{"paint", "begin 0,0,200,100"}));
  // Without RDW_ERASE there is no background to draw; RDW_UPDATENOW paints at once.
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(take(), (Log{"paint", "begin 0,0,200,100"}));
  // An internal paint has no update region.
  RedrawWindow(w, nullptr, nullptr, RDW_INTERNALPAINT);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  pump();
  EXPECT_EQ(take(), (Log{"paint", "begin 0,0,0,0"}));
  // GetUpdateRect asked to erase erases now and keeps the region.
  InvalidateRect(w, nullptr, TRUE);
  EXPECT_TRUE(GetUpdateRect(w, nullptr, TRUE));
  EXPECT_EQ(take(), (Log{"erase"}));
  EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
  ValidateRect(w, nullptr);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  pump();
  EXPECT_TRUE(take().empty());
}

TEST_F(WindowPainting, UpdateRegionsGrowAndShrinkAndPaintBetweenPostedMessagesAndTimers) {
  HWND w = painting_window(WS_POPUP | WS_VISIBLE, 10, 10, 200, 100);
  UpdateWindow(w);
  take();
  const RECT a{10, 10, 20, 20}, b{50, 5, 60, 15}, outside{190, 90, 400, 400};
  InvalidateRect(w, &a, TRUE);
  InvalidateRect(w, &b, FALSE);
  EXPECT_PRED2(same_rect, update_rect(w), (RECT{10, 5, 60, 20}));
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(w, region, FALSE), COMPLEXREGION);
  ValidateRect(w, &b);
  EXPECT_PRED2(same_rect, update_rect(w), a);
  InvalidateRect(w, &outside, FALSE);
  EXPECT_PRED2(same_rect, update_rect(w), (RECT{10, 10, 200, 100})) << "kept within the client area";
  SetRectRgn(region, 0, 0, 5, 5);
  InvalidateRgn(w, region, FALSE);
  ValidateRgn(w, region);
  EXPECT_PRED2(same_rect, update_rect(w), (RECT{10, 10, 200, 100}));
  DeleteObject(region);

  // A posted message comes first, then the paint (its background erased inside BeginPaint),
  // then the timer; a peek that does not remove leaves the paint there.
  PostMessageA(w, WM_USER, 0, 0);
  SetTimer(w, 1, 0, nullptr);
  let_time_pass(20);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(msg.hwnd, w);
  DispatchMessageA(&msg);
  EXPECT_EQ(take(), (Log{"paint", "erase", "begin 10,10,200,100"}));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  KillTimer(w, 1);
  pump();

  // A hidden window takes no invalidation.
  ShowWindow(w, SW_HIDE);
  InvalidateRect(w, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
}

TEST_F(WindowPainting, ParentsPaintBeforeTheirChildrenWhoseFramesAreInvalidatedWithThem) {
  HWND parent = painting_window(WS_POPUP | WS_VISIBLE, 10, 10, 200, 100);
  UpdateWindow(parent);
  take();
  HWND child = painting_window(WS_CHILD | WS_VISIBLE, 5, 5, 30, 30, parent);
  EXPECT_EQ(take(), (Log{"child ncpaint", "child erase"}));
  pump();
  EXPECT_EQ(take(), (Log{"child paint", "child begin 0,0,30,30"}));

  InvalidateRect(parent, nullptr, TRUE);
  UpdateWindow(parent);
  EXPECT_EQ(take(), (Log{"paint", "erase", "begin 0,0,200,100", "child paint", "child ncpaint", "child erase",
                         "child begin 0,0,30,30"}));
  // A parent that clips its children leaves them alone.
  SetWindowLongPtrA(parent, GWL_STYLE, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  InvalidateRect(parent, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(child, nullptr, FALSE));
  ValidateRect(parent, nullptr);
}

TEST_F(WindowPainting, WindowContextsCoverTheClientAreaOrTheWholeWindow) {
  HWND framed = painting_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 10, 200, 100);
  RECT client{};
  GetClientRect(framed, &client);
  RECT box{};
  HDC dc = GetDC(framed);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_PRED2(same_rect, box, client);
  EXPECT_EQ(ReleaseDC(framed, dc), 1);
  dc = GetWindowDC(framed);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_PRED2(same_rect, box, (RECT{0, 0, 200, 100}));
  EXPECT_EQ(ReleaseDC(framed, dc), 1);
}

TEST_F(WindowPainting, PrintWindowDrawsTheBackgroundAndClientIntoTheCallersContext) {
  HWND w = painting_window(WS_POPUP, 10, 10, 40, 30, nullptr, RGB(0, 0, 255));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 30);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  take();
  // A hidden window is drawn too; the background comes from the class brush.
  EXPECT_TRUE(PrintWindow(w, memory, 0));
  EXPECT_EQ(take(), (Log{"erase", "printclient"}));
  EXPECT_EQ(GetPixel(memory, 5, 5), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(memory, 20, 20), RGB(255, 255, 255));
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE)) << "printing paints nothing of the window itself";
#ifndef _WIN32
  // Wine's PrintWindow sends WM_PRINT without looking at the handle and answers TRUE for any;
  // a handle that names no window is a failure here.
  EXPECT_FALSE(PrintWindow(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340)), memory, 0));
#endif
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

#ifndef _WIN32
// The screen as a capture reads it.
COLORREF screen_at(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}
#endif

TEST_F(WindowPainting, TheScreenShowsTheWindowsThroughTheirShapes) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine's null display driver keeps no screen pixels to capture";
#else
  const COLORREF desktop = screen_at(150, 150);
  HWND below = painting_window(WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, RGB(255, 0, 0));
  HWND round = painting_window(WS_POPUP, 120, 110, 100, 60, nullptr, RGB(0, 0, 255));
  SetWindowRgn(round, CreateEllipticRgn(0, 0, 100, 60), FALSE);
  ShowWindow(round, SW_SHOWNA);
  UpdateWindow(below);
  UpdateWindow(round);
  EXPECT_EQ(screen_at(170, 140), RGB(0, 0, 255)) << "the shaped window's own pixels";
  EXPECT_EQ(screen_at(121, 111), RGB(255, 0, 0)) << "the window below, through the cut-out corner";
  EXPECT_EQ(screen_at(99, 99), desktop);

  // An invalidated part is repainted and nothing else.
  SetWindowLongPtrA(below, GWLP_USERDATA, RGB(0, 255, 0));
  const RECT part{40, 80, 80, 100};  // below the shaped window
  InvalidateRect(below, &part, FALSE);
  UpdateWindow(below);
  EXPECT_EQ(screen_at(160, 190), RGB(0, 255, 0));
  EXPECT_EQ(screen_at(110, 190), RGB(255, 0, 0));
  EXPECT_EQ(screen_at(170, 140), RGB(0, 0, 255));

  // A hidden window leaves the screen as it was.
  ShowWindow(round, SW_HIDE);
  EXPECT_EQ(screen_at(170, 140), RGB(255, 0, 0));
  ShowWindow(below, SW_HIDE);
  EXPECT_EQ(screen_at(170, 140), desktop);
  EXPECT_EQ(screen_at(110, 190), desktop);
#endif
}

TEST_F(WindowPainting, ChildrenDrawInsideTheirParentAndFramesInThePlainStyle) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine's null display driver keeps no screen pixels to capture";
#else
  HWND parent = painting_window(WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, RGB(255, 0, 0));
  HWND child = painting_window(WS_CHILD | WS_VISIBLE, 150, 50, 100, 100, parent, RGB(0, 0, 255));
  UpdateWindow(parent);
  EXPECT_EQ(screen_at(260, 160), RGB(0, 0, 255));
  EXPECT_EQ(screen_at(299, 199), RGB(0, 0, 255));
  EXPECT_EQ(screen_at(300, 199), screen_at(301, 199)) << "nothing past the parent";
  ShowWindow(child, SW_HIDE);
  UpdateWindow(parent);
  EXPECT_EQ(screen_at(260, 160), RGB(255, 0, 0)) << "the parent repaints where the child was";

  HWND framed = painting_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 100, 200, 100, nullptr, RGB(0, 255, 0));
  UpdateWindow(framed);
  RECT client{};
  GetClientRect(framed, &client);
  POINT inside{client.right / 2, client.bottom / 2};
  ClientToScreen(framed, &inside);
  EXPECT_EQ(screen_at(inside.x, inside.y), RGB(0, 255, 0));
  EXPECT_EQ(screen_at(400, 100), GetSysColor(COLOR_WINDOWFRAME)) << "the outline";
  EXPECT_EQ(screen_at(500, 110), GetSysColor(COLOR_ACTIVECAPTION)) << "the caption of the foreground window";
#endif
}

TEST_F(WindowPainting, TheScreenShowsTheTaskbarAndItsTrayButtons) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine's null display driver keeps no screen pixels to capture";
#else
  ASSERT_TRUE(HeadlessStartShell(0));
  HWND owner = painting_window(WS_POPUP, 0, 0, 10, 10);
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = owner;
  icon.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &icon));
  HWND toolbar = FindWindowExA(
      FindWindowExA(FindWindowExA(FindWindowA("Shell_TrayWnd", nullptr), nullptr, "TrayNotifyWnd", nullptr), nullptr,
                    "SysPager", nullptr),
      nullptr, "ToolbarWindow32", nullptr);
  ASSERT_NE(toolbar, nullptr);
  // Where the toolbar shows a button: its row of the screen holds the highlight colour.
  RECT bar{};
  GetWindowRect(toolbar, &bar);
  auto buttons_shown = [&] {
    int n = 0;
    for (int x = bar.left; x < bar.right; ++x)
      n += screen_at(x, (bar.top + bar.bottom) / 2) == GetSysColor(COLOR_HIGHLIGHT);
    return n;
  };
  EXPECT_GT(buttons_shown(), 0);
  EXPECT_EQ(screen_at(5, GetSystemMetrics(SM_CYSCREEN) - 5), GetSysColor(COLOR_BTNFACE)) << "the taskbar";
  Shell_NotifyIconA(NIM_DELETE, &icon);
  EXPECT_EQ(buttons_shown(), 0) << "the button goes with its icon";
  HeadlessStopShell();
  EXPECT_EQ(screen_at(5, GetSystemMetrics(SM_CYSCREEN) - 5), GetSysColor(COLOR_DESKTOP));
#endif
}

}  // namespace
}  // namespace veneer::test
