// The other process of the Windows tests: it builds trays and shows windows on command, so
// that the library meets a tray and a foreground window that belong to another process.
// Started once per test program; it serves commands (WM_COPYDATA) until it is closed.
#include <windows.h>

#include <cstring>
#include <vector>

#include "tests/support/other_process.h"

using namespace veneer::test;

namespace {

TrayBuilder builder;
std::vector<HWND> windows;

void reply(HWND self, HWND to, std::uint32_t code, const TrayReport& report) {
  COPYDATASTRUCT data{code, sizeof report, const_cast<TrayReport*>(&report)};
  SendMessageA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(self), reinterpret_cast<LPARAM>(&data));
}

LRESULT CALLBACK control_proc(HWND self, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COPYDATA: {
      auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      TrayRequest request;
      if (data->cbData == sizeof request) std::memcpy(&request, data->lpData, sizeof request);
      TrayReport report;
      report.process_id = GetCurrentProcessId();
      switch (data->dwData) {
        case helper_build_tray:
          report = builder.build(request);
          break;
        case helper_button_requests:
          report.button_requests = builder.button_requests();
          report.ok = 1;
          break;
        case helper_destroy_tray:
          builder.destroy();
          report.ok = 1;
          break;
        case helper_foreground_window: {
          HWND w = CreateWindowExA(0, "VeneerOtherApp", "other", WS_POPUP, 40, 40, 600, 500, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
          ShowWindow(w, SW_SHOW);
          SetForegroundWindow(w);
          windows.push_back(w);
          report.taskbar = reinterpret_cast<std::uintptr_t>(w);
          report.ok = w != nullptr;
          break;
        }
        case helper_destroy_windows:
          for (HWND w : windows) DestroyWindow(w);
          windows.clear();
          report.ok = 1;
          break;
        default:
          break;
      }
      reply(self, reinterpret_cast<HWND>(wparam), static_cast<std::uint32_t>(data->dwData), report);
      return TRUE;
    }
    case WM_DESTROY:
      builder.destroy();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(self, message, wparam, lparam);
  }
}

}  // namespace

int main() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = control_proc;
  wc.hInstance = instance;
  wc.lpszClassName = helper_window_class;
  RegisterClassA(&wc);
  WNDCLASSA app{};
  app.lpfnWndProc = DefWindowProcA;
  app.hInstance = instance;
  app.lpszClassName = "VeneerOtherApp";
  RegisterClassA(&app);
  HWND control = CreateWindowExA(0, helper_window_class, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  if (!control) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
