// Windows and the tray: a window centred and raised, a tray icon found on the screen, the
// caption animation towards the tray, and a flashing taskbar button.
#include <cstdio>

#include <veneer/veneer.h>

int main() {
#ifndef _WIN32
  // The headless desktop starts without a taskbar, as Wine's null driver does.
  HeadlessStartShell(0);
#endif
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "VeneerExample";
  RegisterClassA(&window_class);
  HWND window = CreateWindowExA(0, "VeneerExample", "Veneer example", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                nullptr, nullptr, window_class.hInstance, nullptr);
  if (!window) return 1;

  AfxCenterDesktop(window, 640, 400);  // sized and centred in the work area
  AfxShowOnTopWindow(window);          // restored, raised and activated
  RECT placed{};
  GetWindowRect(window, &placed);
  std::printf("window at (%ld, %ld)-(%ld, %ld)\n", static_cast<long>(placed.left), static_cast<long>(placed.top),
              static_cast<long>(placed.right), static_cast<long>(placed.bottom));

  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  Shell_NotifyIconA(NIM_ADD, &icon);
  CRect where;
  if (AfxFindTrayIconPosition(window, 1, where))
    std::printf("tray icon at (%ld, %ld)-(%ld, %ld)\n", static_cast<long>(where.left), static_cast<long>(where.top),
                static_cast<long>(where.right), static_cast<long>(where.bottom));
  else
    std::printf("tray icon not found\n");

  // "Minimise to the tray": the animation first, then the window goes.
  AfxAnimate2Tray(window);
  ShowWindow(window, SW_HIDE);
  AfxFlashWindow(window, 3);

  Shell_NotifyIconA(NIM_DELETE, &icon);
  DestroyWindow(window);
  return 0;
}
