// veneer-demo: a skinned desktop program as users write them, on Veneer's exports. It
// registers a window class, loads its skin atlas from a BMP file, opens a popup window shaped
// by its skin, centres it, puts an icon in the tray and opens a small notification window
// beside it, then runs its message loop until a timer tells it to quit. Before quitting it
// can write the screen and each window's own painting as pictures.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo/picture_file.h"
#include "demo/window_painter.h"
#include <veneer/veneer.h>

namespace {

constexpr int kMinWidth = 120, kMinHeight = 80, kMaxSide = 4096;
constexpr int kNoteWidth = 200, kNoteHeight = 72;
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT_PTR kQuitTimer = 1;
constexpr UINT kTrayIcon = 1;

struct Options {
  std::string screen_out;  // the captured screen
  std::string window_out;  // the main window's own painting
  std::string note_out;    // the notification window's own painting
  std::string skin;        // the skin atlas
  std::string title = "Veneer";
  int width = 640, height = 400;
  unsigned run_for = 300;  // milliseconds before the program quits
};

struct Demo {
  Options options;
  demo::Skin skin;
  HWND main = nullptr;
  HWND note = nullptr;
  RECT text_box{};
  bool tray_icon = false;
  int status = 0;
};

Demo* the_demo = nullptr;

void usage(std::FILE* to) {
  std::fprintf(to,
               "usage: veneer-demo [--out FILE] [--window-out FILE] [--note-out FILE] [--size WxH]\n"
               "                   [--title TEXT] [--skin FILE] [--run-for MS]\n"
               "  --out FILE         the screen, captured before quitting (.png or .bmp)\n"
               "  --window-out FILE  the main window's own painting (.png or .bmp)\n"
               "  --note-out FILE    the notification window's own painting (.png or .bmp)\n"
               "  --size WxH         the main window, %dx%d to %dx%d (default 640x400)\n"
               "  --title TEXT       the caption (default \"Veneer\")\n"
               "  --skin FILE        the skin atlas (default skin-atlas.bmp beside the program)\n"
               "  --run-for MS       how long the message loop runs (default 300)\n"
               "  --help             this text\n",
               kMinWidth, kMinHeight, kMaxSide, kMaxSide);
}

bool parse_size(const char* text, int& width, int& height) {
  char* end = nullptr;
  long w = std::strtol(text, &end, 10);
  if (end == text || (*end != 'x' && *end != 'X')) return false;
  const char* rest = end + 1;
  long h = std::strtol(rest, &end, 10);
  if (end == rest || *end != '\0') return false;
  if (w < kMinWidth || h < kMinHeight || w > kMaxSide || h > kMaxSide) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool ends_with(const std::string& s, const char* suffix) {
  std::size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// The skin atlas beside the program.
std::string default_skin() {
  char path[4096];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return "skin-atlas.bmp";
  std::string folder(path, n);
  const std::size_t cut = folder.find_last_of("/\\");
  return (cut == std::string::npos ? std::string() : folder.substr(0, cut + 1)) + "skin-atlas.bmp";
}

bool write_picture(const std::string& path, const demo::Picture& picture) {
  const bool png = ends_with(path, ".png") || ends_with(path, ".PNG");
  if (png && !demo::png_supported()) {
    std::fprintf(stderr, "veneer-demo: this build writes BMP only: \"%s\"\n", path.c_str());
    return false;
  }
  if (png ? demo::write_png(path, picture) : demo::write_bmp(path, picture)) return true;
  std::fprintf(stderr, "veneer-demo: cannot write \"%s\"\n", path.c_str());
  return false;
}

// Writes what was asked for; a failure makes the program's status 1.
void write_pictures(Demo& d) {
  auto save = [&](const std::string& path, bool (*take)(HWND, demo::Picture&, std::string&), HWND window,
                  const char* what) {
    if (path.empty()) return;
    demo::Picture picture;
    std::string error;
    if (!take(window, picture, error)) {
      std::fprintf(stderr, "veneer-demo: %s: %s\n", what, error.c_str());
      d.status = 1;
    } else if (!write_picture(path, picture)) {
      d.status = 1;
    } else {
      std::printf("wrote %s (%dx%d)\n", path.c_str(), picture.width, picture.height);
    }
  };
  save(d.options.window_out, demo::print_window, d.main, "the main window");
  save(d.options.note_out, demo::print_window, d.note, "the notification window");
  save(
      d.options.screen_out, [](HWND, demo::Picture& p, std::string& e) { return demo::capture_screen(p, e); }, nullptr,
      "the screen");
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Demo& d = *the_demo;
  const bool is_main = window == d.main;
  RECT r{};
  GetWindowRect(window, &r);
  auto paint = [&](HDC dc) {
    if (is_main)
      d.text_box = demo::paint_main_window(dc, d.skin, r.right - r.left, r.bottom - r.top, d.options.title);
    else
      demo::paint_notification(dc, d.skin, r.right - r.left, r.bottom - r.top);
  };
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the painting covers the whole window
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        paint(dc);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_TIMER:
      if (wparam == kQuitTimer && is_main) {
        KillTimer(window, kQuitTimer);
        write_pictures(d);
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      if (is_main) {
        if (d.tray_icon) {
          NOTIFYICONDATAA icon{};
          icon.cbSize = sizeof icon;
          icon.hWnd = window;
          icon.uID = kTrayIcon;
          Shell_NotifyIconA(NIM_DELETE, &icon);
        }
        if (d.note) DestroyWindow(d.note);
        PostQuitMessage(d.status);
      }
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

// A hidden popup of the demo's class, shaped by its skin.
HWND make_shaped_window(const char* title, int width, int height, CRgn& shape) {
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "VeneerDemo", title, WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window && SetWindowRgn(window, static_cast<HRGN>(shape.m_hObject), FALSE)) shape.Detach();  // the window's now
  return window;
}

// The notification window above the tray icon (or the work area's corner without one).
void place_note(Demo& d) {
  CRect icon;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  int x = area.right - kNoteWidth - 8, y = area.bottom - kNoteHeight - 8;
  if (d.tray_icon && AfxFindTrayIconPosition(d.main, kTrayIcon, icon)) {
    x = std::min<int>(icon.left + icon.Width() / 2 - kNoteWidth / 2, area.right - kNoteWidth - 8);
    y = icon.top - kNoteHeight - 8;
    if (y + kNoteHeight > area.bottom) y = area.bottom - kNoteHeight - 8;
  }
  SetWindowPos(d.note, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

int run(Demo& d) {
  std::string error;
  if (!demo::build_skin(d.skin, d.options.skin, error)) {
    std::fprintf(stderr, "veneer-demo: %s\n", error.c_str());
    return 1;
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = window_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VeneerDemo";
  if (!RegisterClassA(&wc)) {
    std::fprintf(stderr, "veneer-demo: the window class could not be registered\n");
    return 1;
  }
  CRgn main_shape, note_shape;
  if (!demo::main_window_shape(d.skin, d.options.width, d.options.height, d.options.title, main_shape) ||
      !demo::notification_shape(d.skin, kNoteWidth, kNoteHeight, note_shape)) {
    std::fprintf(stderr, "veneer-demo: the window shapes could not be built\n");
    return 1;
  }
  d.main = make_shaped_window(d.options.title.c_str(), d.options.width, d.options.height, main_shape);
  d.note = make_shaped_window("Veneer notification", kNoteWidth, kNoteHeight, note_shape);
  if (!d.main || !d.note) {
    std::fprintf(stderr, "veneer-demo: the windows could not be created\n");
    return 1;
  }
  AfxCenterDesktop(d.main, d.options.width, d.options.height);
  ShowWindow(d.main, SW_SHOW);
  UpdateWindow(d.main);

  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = d.main;
  icon.uID = kTrayIcon;
  icon.uFlags = NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  std::snprintf(icon.szTip, sizeof icon.szTip, "%s", d.options.title.c_str());
  d.tray_icon = Shell_NotifyIconA(NIM_ADD, &icon) != FALSE;
  if (!d.tray_icon) std::printf("no tray here: the notification opens in the work area's corner\n");
  place_note(d);

  SetTimer(d.main, kQuitTimer, d.options.run_for, nullptr);
  MSG msg;
  int got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (got < 0) return 1;
  std::printf("title text box %ld %ld %ld %ld\n", static_cast<long>(d.text_box.left), static_cast<long>(d.text_box.top),
              static_cast<long>(d.text_box.right), static_cast<long>(d.text_box.bottom));
  return static_cast<int>(msg.wParam);
}

}  // namespace

int main(int argc, char** argv) {
  Demo d;
  d.options.skin = default_skin();
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool has_value = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      usage(stdout);
      return 0;
    } else if (arg == "--out" && has_value) {
      d.options.screen_out = argv[++i];
    } else if (arg == "--window-out" && has_value) {
      d.options.window_out = argv[++i];
    } else if (arg == "--note-out" && has_value) {
      d.options.note_out = argv[++i];
    } else if (arg == "--title" && has_value) {
      d.options.title = argv[++i];
    } else if (arg == "--skin" && has_value) {
      d.options.skin = argv[++i];
    } else if (arg == "--run-for" && has_value) {
      d.options.run_for = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--size" && has_value) {
      if (!parse_size(argv[++i], d.options.width, d.options.height)) {
        std::fprintf(stderr, "veneer-demo: bad size \"%s\": expected WxH from %dx%d to %dx%d\n", argv[i], kMinWidth,
                     kMinHeight, kMaxSide, kMaxSide);
        return 2;
      }
    } else {
      std::fprintf(stderr, "veneer-demo: unknown or incomplete option \"%s\"\n", arg.c_str());
      usage(stderr);
      return 2;
    }
  }
#ifndef _WIN32
  // The headless desktop starts without a shell, as a session does before its taskbar.
  HeadlessStartShell(0);
#endif
  the_demo = &d;
  return run(d);
}
