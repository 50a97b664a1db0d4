// Internal state of the headless desktop: window classes, windows and the desktop itself.
// Every access happens under platform_lock(); window procedures are called with the lock
// held (it is recursive), so a procedure may call back into the platform. DispatchMessageA
// alone calls the caller's own windows' procedures without it, so that they can wait for
// messages from other threads. A procedure may
// destroy windows, so code that calls one finds its windows again by handle afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gdi/objects.h"
#include "kernel/object_table.h"
#include "kernel/process_state.h"
#include <veneer/headless/user.h>

namespace veneer::headless {

struct WindowClass {
  std::string name;
  DWORD owner_process = 0;  // 0: a class of the platform, seen by every process
  WNDCLASSEXA info{};
  ATOM atom = 0;
  unsigned windows = 0;
};

struct FlashRecord {
  bool flashing = false;
  DWORD flags = 0;
  UINT count = 0;
  DWORD timeout = 0;
  unsigned requests = 0;
};

struct Window : Object {
  static constexpr ObjectKind object_kind = ObjectKind::Window;
  Window() : Object(object_kind) {}

  HWND self = nullptr;
  WindowClass* window_class = nullptr;
  WNDPROC proc = nullptr;
  std::string title;
  DWORD style = 0;
  DWORD ex_style = 0;
  HWND parent = nullptr;  // the desktop window for top-level windows
  HWND owner = nullptr;
  std::vector<HWND> children;  // z-order, top first
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;
  LONG_PTR user_data = 0;
  std::vector<unsigned char> extra;
  DWORD process_id = 0;
  DWORD thread_id = 0;

  RECT rect{};         // in the parent's client coordinates (the screen for top-level windows)
  RECT normal_rect{};  // where a minimised or maximised window returns to
  bool iconic = false;
  bool zoomed = false;
  bool restore_to_maximized = false;
  RECT control_insets{};  // non-client insets a control adds to its frame (a toolbar's divider)
  // The window's shape (SetWindowRgn) in window coordinates, owned by the window; null: the
  // whole window rectangle.
  HRGN region = nullptr;

  bool destroying = false;
  // Painting. The update region is the part of the client area waiting for WM_PAINT, in
  // client coordinates and never past the client area; erase_pending and frame_pending say
  // whether its background and the frame are to be drawn first (by the BeginPaint that takes
  // it, or at once for RDW_ERASENOW); erase_refused keeps that the last WM_ERASEBKGND left the
  // background undrawn, for PAINTSTRUCT's fErase. internal_paint asks for a WM_PAINT with no
  // update region (RDW_INTERNALPAINT).
  gdi::OwnedRegion update;
  bool erase_pending = false;
  bool frame_pending = false;
  bool erase_refused = false;
  bool internal_paint = false;
  // A top-level window's pixels, the size of its window rectangle, made when it is first drawn
  // into; its child windows draw into it too. The screen is composed from these.
  std::shared_ptr<gdi::Surface> surface;
  unsigned paints = 0;
  unsigned erases = 0;
  FlashRecord flash;
};

struct CaptionAnimationRecord {
  HWND window = nullptr;
  int animation = 0;
  RECT from{};
  RECT to{};
  unsigned count = 0;
};

struct DesktopState {
  HWND desktop_window = nullptr;
  HWND foreground = nullptr;
  RECT work_area{};
  std::vector<std::pair<DWORD, DWORD>> attached_inputs;
  CaptionAnimationRecord last_animation;
};

constexpr int screen_width = 1024;
constexpr int screen_height = 768;

// The desktop, created with its window and the platform's classes on first use.
DesktopState& desktop();
// Areas above the desktop (the shell and its controls) take part in its life through hooks
// instead of being called from here: a start hook runs when the desktop is first made (to
// register window classes), a reset hook when a test resets it. Register from a static
// initialiser, before the desktop is first used.
void on_desktop_start(void (*hook)());
void on_desktop_reset(void (*hook)());
void run_desktop_reset_hooks();
Window* window_of(HWND window);
// As window_of, but failing the call with ERROR_INVALID_WINDOW_HANDLE.
Window* checked_window(HWND window);
bool is_top_level(const Window& w);

// Classes (window_classes.cpp)
WindowClass* find_class(LPCSTR name, DWORD process_id);
bool class_names_match(const std::string& a, LPCSTR b);
void register_platform_class(const char* name, WNDPROC proc, UINT style);

// Messages (window_core.cpp): the procedure runs as the window's thread; the sender's
// process is known to it through message_sender_process().
LRESULT send_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
DWORD message_sender_process();
void destroy_windows_of_process(DWORD process_id);
// A window going away: its posted messages are dropped and its timers end (message_queue.cpp).
void forget_window_messages(HWND window);

// Geometry (window_geometry.cpp)
RECT frame_insets(const Window& w);
// The outer frame alone (no caption, client edge or control insets), on each side.
int outer_frame_width(const Window& w);
RECT client_rect_in_parent(const Window& w);
POINT client_origin_on_screen(const Window& w);
RECT screen_rect(const Window& w);
// Moves and sizes a window, with the size clamped as the style asks; sends WM_MOVE/WM_SIZE.
void place_window(HWND window, RECT rect);
void clamp_size(const Window& w, int& width, int& height);
// A coordinate from a sum of 32-bit values, wrapped to 32 bits as the callers' own arithmetic
// would wrap it, instead of overflowing: a window may be placed anywhere in the int range.
inline LONG wrapped_coordinate(long long value) { return static_cast<LONG>(static_cast<std::uint32_t>(value)); }
// The sum of two coordinates (or a coordinate and an offset), wrapped the same way.
inline LONG wrapped_sum(long long a, long long b) { return wrapped_coordinate(a + b); }

// Showing and hiding (window_show.cpp): the style, WM_SHOWWINDOW, painting and, for a hidden
// foreground window, the next activation.
void show_window(HWND window);
void hide_window(HWND window);
// Z-order and activation (window_show.cpp)
void link_window(Window& w, HWND insert_after);
void unlink_window(Window& w);
void activate_window(HWND window, bool raise);
void activate_next_after(HWND leaving);

}  // namespace veneer::headless
