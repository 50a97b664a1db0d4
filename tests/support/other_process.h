// Another process for the tests: it owns a tray built by TrayBuilder and windows that stand in
// for other applications (a foreground window that is not the host's). On Windows it is a
// helper program (veneer_tray_host) started once per test program; on the headless platform
// it is a simulated process.
#pragma once

#include "tests/support/tray_builder.h"

namespace veneer::test {

class OtherProcess {
 public:
  static OtherProcess& get();

  TrayReport build_tray(const TrayRequest& request);
  void destroy_tray();
  // TB_GETBUTTON messages the tray's toolbar got since it was built.
  std::uint32_t tray_button_requests();
  // A visible top-level window of the other process, brought to the foreground.
  HWND show_foreground_window();
  // Destroys the windows show_foreground_window made.
  void destroy_windows();

  DWORD process_id() const { return process_id_; }
  DWORD thread_id() const { return thread_id_; }

  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;
  ~OtherProcess();

 private:
  OtherProcess();
  TrayReport command(std::uint32_t code, const TrayRequest* request);

  DWORD process_id_ = 0;
  DWORD thread_id_ = 0;
#ifdef _WIN32
  HANDLE process_ = nullptr;
  HWND control_ = nullptr;
  HWND reply_ = nullptr;
#else
  TrayBuilder builder_;
  std::vector<HWND> windows_;
#endif
};

// The helper program's commands, sent with WM_COPYDATA; it answers with a TrayReport.
enum HelperCommand : std::uint32_t {
  helper_build_tray = 1,
  helper_destroy_tray = 2,
  helper_foreground_window = 3,
  helper_destroy_windows = 4,
  helper_button_requests = 5,
};
constexpr const char* helper_window_class = "VeneerTrayHost";

}  // namespace veneer::test
