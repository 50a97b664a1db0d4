// The message queues: one per thread, holding what was posted to the thread and its windows
// and whether it was asked to quit; taking messages in Win32's order, waiting without
// spinning, and dispatching them to window procedures and timer callbacks.
#include "user/message_queue.h"

#include <condition_variable>
#include <deque>
#include <map>

#include "user/desktop_state.h"
#include "user/window_paint.h"
#include <veneer/headless/kernel_base.h>

namespace veneer::headless {
namespace {

// Win32's default quota of posted messages per queue (USERPostMessageLimit).
constexpr std::size_t posted_message_quota = 10000;

struct ThreadQueue {
  std::deque<MSG> posted;
  bool quit = false;
  int exit_code = 0;
};

struct QueueState {
  std::map<DWORD, ThreadQueue> queues;
  std::condition_variable_any posted;  // waited on with platform_lock()
};

QueueState& state() {
  static auto* s = new QueueState;
  return *s;
}

void reset_queues() {
  state().queues.clear();
  clear_timers();
}

const bool reset_registered = (on_desktop_reset(reset_queues), true);

const HWND thread_messages_only = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

BOOL post_to_thread(DWORD thread, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  ThreadQueue& q = state().queues[thread];
  if (q.posted.size() >= posted_message_quota) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE;
  }
  q.posted.push_back(MSG{window, message, wparam, lparam, static_cast<DWORD>(clock_now()), POINT{0, 0}});
  wake_message_waiters();
  return TRUE;
}

// The character a key gives without a keyboard layout or shift state; 0 for none.
WPARAM character_of_key(WPARAM key) {
  if (key >= 'A' && key <= 'Z') return key - 'A' + 'a';
  if (key >= '0' && key <= '9') return key;
  switch (key) {
    case VK_SPACE:
    case VK_RETURN:
    case VK_BACK:
    case VK_TAB:
    case VK_ESCAPE:
      return key;
    default:
      return 0;
  }
}

enum class Take { Nothing, Message, BadFilter };

// Takes (or, without remove, copies) the next message of the calling thread that the filter
// takes: posted messages first, then the quit request, then windows to paint, then due
// timers.
Take take_message(MSG& out, const MessageFilter& filter, bool remove) {
  desktop();
  if (filter.window && filter.window != thread_messages_only && !window_of(filter.window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return Take::BadFilter;
  }
  DWORD thread = current_identity().thread_id;
  ThreadQueue& q = state().queues[thread];
  for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
    if (!filter.takes(it->hwnd, it->message)) continue;
    out = *it;
    if (remove) q.posted.erase(it);
    return Take::Message;
  }
  if (q.quit) {
    out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.exit_code), 0, static_cast<DWORD>(clock_now()), POINT{0, 0}};
    if (remove) q.quit = false;
    return Take::Message;
  }
  if (take_paint_message(thread, filter, out)) {
    out.time = static_cast<DWORD>(clock_now());
    return Take::Message;  // stays until the window is painted, removed or not
  }
  return take_due_timer(thread, filter, remove, out) ? Take::Message : Take::Nothing;
}

}  // namespace

bool MessageFilter::takes(HWND target, UINT message) const {
  if ((first || last) && (message < first || message > last)) return false;
  if (!window) return true;
  if (window == thread_messages_only) return target == nullptr;
  Window* filtered = window_of(window);
  for (Window* w = window_of(target); w && filtered; w = (w->style & WS_CHILD) ? window_of(w->parent) : nullptr)
    if (w == filtered) return true;
  return false;
}

void wake_message_waiters() { state().posted.notify_all(); }

void forget_window_messages(HWND window) {
  for (auto& [thread, q] : state().queues) std::erase_if(q.posted, [&](const MSG& m) { return m.hwnd == window; });
  forget_window_timers(window);
}

}  // namespace veneer::headless

using namespace veneer::headless;

extern "C" {

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  std::lock_guard lock(platform_lock());
  if (!window) return post_to_thread(current_identity().thread_id, nullptr, message, wparam, lparam);
  // A window still being destroyed takes posts, as on Win32; they go with it.
  Window* w = checked_window(window);
  if (!w) return FALSE;
  return post_to_thread(w->thread_id, w->self, message, wparam, lparam);
}

BOOL WINAPI PostThreadMessageA(DWORD thread_id, UINT message, WPARAM wparam, LPARAM lparam) {
  std::lock_guard lock(platform_lock());
  // The calling thread exists: asking the kernel would read the host's thread list per post.
  if (thread_id != current_identity().thread_id && !process_of_thread(thread_id)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return post_to_thread(thread_id, nullptr, message, wparam, lparam);
}

void WINAPI PostQuitMessage(int exit_code) {
  std::lock_guard lock(platform_lock());
  ThreadQueue& q = state().queues[current_identity().thread_id];
  q.quit = true;
  q.exit_code = exit_code;  // a second request before the first is taken replaces its code
  wake_message_waiters();
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
  if (!msg) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  std::lock_guard lock(platform_lock());
  MSG found{};
  if (take_message(found, MessageFilter{window, first, last}, remove & PM_REMOVE) != Take::Message) return FALSE;
  *msg = found;
  return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT first, UINT last) {
  if (!msg) {
    SetLastError(ERROR_NOACCESS);
    return -1;
  }
  std::unique_lock lock(platform_lock());
  MessageFilter filter{window, first, last};
  MSG found{};
  for (;;) {
    Take got = take_message(found, filter, true);
    if (got == Take::BadFilter) return -1;
    if (got == Take::Message) break;
    // Nothing now: the wait for a timer passes at once on the platform's clock; with no
    // timer, only another thread's post can end the wait.
    if (auto due = next_timer_due(current_identity().thread_id, filter))
      advance_clock_to(*due);
    else
      state().posted.wait(lock);
  }
  *msg = found;
  return found.message == WM_QUIT ? 0 : 1;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (WPARAM c = character_of_key(msg->wParam))
        PostMessageA(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, c, msg->lParam);
      return TRUE;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  std::unique_lock lock(platform_lock());
  if (msg->message == WM_TIMER && msg->lParam) {
    auto callback = reinterpret_cast<TIMERPROC>(msg->lParam);
    if (known_timer_callback(callback)) {
      DWORD now = static_cast<DWORD>(clock_now());
      lock.unlock();
      callback(msg->hwnd, WM_TIMER, msg->wParam, now);
      return 0;
    }
  }
  Window* w = window_of(msg->hwnd);
  if (!w || !w->proc) return 0;
  if (w->thread_id != current_identity().thread_id)
    return send_message(w->self, msg->message, msg->wParam, msg->lParam);
  // The window's own thread calls its procedure without holding the platform, so that a
  // message loop inside the procedure can wait for other threads' posts.
  WNDPROC proc = w->proc;
  HWND self = w->self;
  lock.unlock();
  return proc(self, msg->message, msg->wParam, msg->lParam);
}

}  // extern "C"
