#include "tests/support/other_process.h"

#include <cstdint>
#include <cstring>
#include <string>

#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {

#ifdef _WIN32

namespace {

TrayReport last_reply;

LRESULT CALLBACK reply_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (data && data->cbData == sizeof(TrayReport)) std::memcpy(&last_reply, data->lpData, sizeof last_reply);
    return TRUE;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

std::string helper_path() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path);
  p.resize(p.find_last_of("\\/") + 1);
  return p + "veneer_tray_host.exe";
}

}  // namespace

OtherProcess::OtherProcess() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = reply_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VeneerTrayReply";
  RegisterClassA(&wc);
  reply_ = CreateWindowExA(0, "VeneerTrayReply", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
  std::string path = helper_path();
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
  process_ = pi.hProcess;
  CloseHandle(pi.hThread);
  // A 32-bit program can take a minute to start under emulation.
  for (int i = 0; i < 3000 && !control_; ++i) {
    control_ = FindWindowA(helper_window_class, nullptr);
    if (!control_) {
      if (WaitForSingleObject(process_, 100) == WAIT_OBJECT_0) break;
    }
  }
  if (control_) thread_id_ = GetWindowThreadProcessId(control_, &process_id_);
}

OtherProcess::~OtherProcess() {
  if (control_) PostMessageA(control_, WM_CLOSE, 0, 0);
  if (process_) {
    if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
    CloseHandle(process_);
  }
  if (reply_) DestroyWindow(reply_);
}

TrayReport OtherProcess::command(std::uint32_t code, const TrayRequest* request) {
  last_reply = TrayReport{};
  if (!control_) return last_reply;
  TrayRequest empty;
  COPYDATASTRUCT data{code, sizeof(TrayRequest), const_cast<TrayRequest*>(request ? request : &empty)};
  SendMessageA(control_, WM_COPYDATA, reinterpret_cast<WPARAM>(reply_), reinterpret_cast<LPARAM>(&data));
  return last_reply;
}

TrayReport OtherProcess::build_tray(const TrayRequest& request) { return command(helper_build_tray, &request); }
void OtherProcess::destroy_tray() { command(helper_destroy_tray, nullptr); }
std::uint32_t OtherProcess::tray_button_requests() { return command(helper_button_requests, nullptr).button_requests; }
HWND OtherProcess::show_foreground_window() {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(command(helper_foreground_window, nullptr).taskbar));
}
void OtherProcess::destroy_windows() { command(helper_destroy_windows, nullptr); }

#else

using namespace veneer::headless::testing;

OtherProcess::OtherProcess() {
  auto p = create_process("tray-host.exe");
  process_id_ = p.process_id;
  thread_id_ = p.thread_id;
}

OtherProcess::~OtherProcess() = default;

TrayReport OtherProcess::build_tray(const TrayRequest& request) {
  ActingAs as(process_id_, thread_id_);
  return builder_.build(request);
}

void OtherProcess::destroy_tray() {
  ActingAs as(process_id_, thread_id_);
  builder_.destroy();
}

std::uint32_t OtherProcess::tray_button_requests() { return builder_.button_requests(); }

HWND OtherProcess::show_foreground_window() {
  ActingAs as(process_id_, thread_id_);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "VeneerOtherApp";
  RegisterClassA(&wc);
  HWND w =
      CreateWindowExA(0, "VeneerOtherApp", "other", WS_POPUP, 40, 40, 600, 500, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(w, SW_SHOW);
  SetForegroundWindow(w);
  windows_.push_back(w);
  return w;
}

void OtherProcess::destroy_windows() {
  ActingAs as(process_id_, thread_id_);
  for (HWND w : windows_)
    if (IsWindow(w)) DestroyWindow(w);
  windows_.clear();
}

TrayReport OtherProcess::command(std::uint32_t, const TrayRequest*) { return TrayReport{}; }

#endif

OtherProcess& OtherProcess::get() {
  static OtherProcess instance;
  return instance;
}

}  // namespace veneer::test
