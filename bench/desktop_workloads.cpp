// The headless desktop's painting: capturing a 1024x768 screen of five shaped windows (the
// screen composed, then copied out as a program captures it), and one paint cycle of the
// demo's window (invalidated whole, then painted through Veneer's exports). The yardstick is
// memcpy of the screen's bytes. Headless only: Wine's null display driver keeps no screen.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/workloads.h"
#ifndef _WIN32
#include "bench/skins.h"
#include "demo/skin_atlas.h"
#include "demo/window_painter.h"
#endif

namespace veneer::bench {

#ifndef _WIN32
namespace {

constexpr int kScreenWidth = 1024, kScreenHeight = 768;
constexpr std::size_t kScreenBytes = std::size_t{kScreenWidth} * kScreenHeight * 4;

LRESULT CALLBACK filling_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wparam, lparam);
  PAINTSTRUCT ps;
  if (HDC dc = BeginPaint(window, &ps)) {
    RECT client{};
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA)));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EndPaint(window, &ps);
  }
  return 0;
}

demo::Skin* bench_skin = nullptr;
LRESULT CALLBACK demo_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT || !bench_skin) return DefWindowProcA(window, message, wparam, lparam);
  PAINTSTRUCT ps;
  if (HDC dc = BeginPaint(window, &ps)) {
    RECT r{};
    GetWindowRect(window, &r);
    demo::paint_main_window(dc, *bench_skin, r.right - r.left, r.bottom - r.top, "Veneer");
    EndPaint(window, &ps);
  }
  return 0;
}

const char* window_class(const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  RegisterClassA(&wc);  // already there from an earlier preparation: fine
  return name;
}

// Windows that go with the workload.
struct Windows {
  std::vector<HWND> list;
  ~Windows() {
    for (HWND w : list) DestroyWindow(w);
  }
};

struct CaptureState {
  Windows windows;
  Surface capture{make_dib(picture(kScreenWidth, kScreenHeight), 32)};
};

Prepared prepare_screen_capture() {
  auto s = std::make_shared<CaptureState>();
  const char* cls = window_class("VeneerBenchFilled", filling_proc);
  // Five overlapping windows, each with a shape: ellipses and rounded rectangles.
  const RECT places[] = {
      {0, 0, 700, 500}, {200, 100, 900, 600}, {400, 250, 1024, 768}, {50, 350, 550, 740}, {600, 20, 1000, 300}};
  for (int i = 0; i < 5; ++i) {
    const RECT& p = places[i];
    HWND w = CreateWindowExA(0, cls, "", WS_POPUP, p.left, p.top, p.right - p.left, p.bottom - p.top, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (!w) return {};
    s->windows.list.push_back(w);
    SetWindowLongPtrA(w, GWLP_USERDATA, static_cast<LONG_PTR>(RGB(40 * i, 255 - 40 * i, 90 + 30 * i)));
    const int width = p.right - p.left, height = p.bottom - p.top;
    SetWindowRgn(
        w, i % 2 ? CreateEllipticRgn(0, 0, width, height) : CreateRoundRectRgn(0, 0, width + 1, height + 1, 40, 40),
        FALSE);
    ShowWindow(w, SW_SHOWNA);
    UpdateWindow(w);
  }
  return prepared<CaptureState>(s, static_cast<bool>(s->capture), [](CaptureState& st) {
    HDC screen = GetDC(nullptr);
    ::BitBlt(st.capture.dc.m_hDC, 0, 0, kScreenWidth, kScreenHeight, screen, 0, 0, SRCCOPY);
    ReleaseDC(nullptr, screen);
  });
}

struct PaintState {
  demo::Skin skin;
  Windows windows;
  ~PaintState() { bench_skin = nullptr; }
};

Prepared prepare_demo_paint() {
  auto s = std::make_shared<PaintState>();
  std::string error;
  if (!demo::build_skin(s->skin, VENEER_DEMO_SKIN_ATLAS, error)) return {};
  bench_skin = &s->skin;
  CRgn shape;
  if (!demo::main_window_shape(s->skin, 640, 400, "Veneer", shape)) return {};
  HWND w = CreateWindowExA(0, window_class("VeneerBenchDemo", demo_proc), "", WS_POPUP, 192, 184, 640, 400, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!w) return {};
  s->windows.list.push_back(w);
  if (SetWindowRgn(w, static_cast<HRGN>(shape.m_hObject), FALSE)) shape.Detach();
  ShowWindow(w, SW_SHOWNA);
  UpdateWindow(w);
  return prepared<PaintState>(s, true, [](PaintState& st) {
    HWND window = st.windows.list.front();
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
  });
}

struct ScreenCopy {
  std::vector<char> from = std::vector<char>(kScreenBytes, 1), to = std::vector<char>(kScreenBytes, 0);
};

}  // namespace
#endif

void add_desktop_workloads(std::vector<Workload>& list) {
#ifndef _WIN32
  list.push_back(Workload{"memcpy_screen_3MiB", "memcpy of the bytes of a 1024x768 32-bit screen", false, false, [] {
                            return prepared<ScreenCopy>(std::make_shared<ScreenCopy>(), true, [](ScreenCopy& c) {
                              std::memcpy(c.to.data(), c.from.data(), kScreenBytes);
                              keep(c.to.data());
                            });
                          }});
  list.push_back(Workload{"screen_capture_5_windows",
                          "BitBlt of the 1024x768 screen (composed from five shaped windows) into a DIB section", false,
                          false, prepare_screen_capture});
  list.push_back(Workload{"demo_paint_cycle",
                          "the demo's 640x400 window invalidated whole and painted (WM_PAINT through the exports)",
                          false, false, prepare_demo_paint});
#else
  (void)list;
#endif
}

}  // namespace veneer::bench
