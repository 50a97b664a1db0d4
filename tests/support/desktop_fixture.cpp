#include "tests/support/desktop_fixture.h"

#include <map>

#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {
namespace {

std::map<HWND, int>& paint_counts() {
  static std::map<HWND, int> counts;
  return counts;
}

LRESULT CALLBACK test_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) ++paint_counts()[window];
  return DefWindowProcA(window, message, wparam, lparam);
}

const char* test_class() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = test_window_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VeneerTestWindow";
    registered = RegisterClassA(&wc) != 0;
  }
  return "VeneerTestWindow";
}

}  // namespace

void DesktopTest::SetUp() {
#ifndef _WIN32
  veneer::headless::testing::reset_desktop();
#endif
  set_work_area(RECT{0, 0, 1024, 768});
  spy::install();
  paint_counts().clear();
}

void DesktopTest::TearDown() {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
    if (IsWindow(*it)) DestroyWindow(*it);
  OtherProcess::get().destroy_windows();
  OtherProcess::get().destroy_tray();
  set_work_area(RECT{0, 0, 1024, 768});
  spy::set_flash_entry_missing(false);
  spy::set_shell_icon_rect(nullptr);
#ifndef _WIN32
  veneer::headless::testing::reset_desktop();
#endif
}

HWND DesktopTest::make_window(DWORD style, int x, int y, int width, int height, HWND parent, DWORD ex_style,
                              const char* title) {
  HWND w = CreateWindowExA(ex_style, test_class(), title, style, x, y, width, height, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(w, nullptr) << "error " << GetLastError();
  windows_.push_back(w);
  return w;
}

bool running_under_wine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

void DesktopTest::set_work_area(RECT area) { SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0); }

int DesktopTest::paints(HWND window) { return paint_counts()[window]; }

RECT DesktopTest::rect_in_parent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  HWND parent = GetParent(window);
  if (parent && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace veneer::test
