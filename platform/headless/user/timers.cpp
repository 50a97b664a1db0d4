// Timers: SetTimer and KillTimer on the platform's clock, which moves only when a test
// advances it or a GetMessage call would otherwise wait for a timer, so that runs repeat.
#include <algorithm>
#include <set>
#include <vector>

#include "user/desktop_state.h"
#include "user/message_queue.h"
#include <veneer/headless/kernel_base.h>
#include <veneer/headless/testing.h>

namespace veneer::headless {
namespace {

struct Timer {
  DWORD thread = 0;
  HWND window = nullptr;  // null for a thread timer
  UINT_PTR id = 0;
  UINT period = 0;
  TIMERPROC callback = nullptr;
  std::uint64_t due = 0;
  std::uint64_t serial = 0;  // creation order, which breaks ties between timers due together
};

// Thread timer ids count down from here and wrap before reaching the ids programs pick for
// their window timers, as Wine hands them out.
constexpr UINT_PTR first_thread_timer_id = 0x7fff;
constexpr UINT_PTR last_thread_timer_id = 0x100;

struct TimerState {
  std::uint64_t clock = 0;
  std::vector<Timer> timers;
  std::set<TIMERPROC> callbacks;
  UINT_PTR next_thread_id = first_thread_timer_id;
  std::uint64_t next_serial = 0;
};

TimerState& state() {
  static auto* s = new TimerState;
  return *s;
}

Timer* find_timer(DWORD thread, HWND window, UINT_PTR id) {
  for (Timer& t : state().timers)
    if (t.thread == thread && t.window == window && t.id == id) return &t;
  return nullptr;
}

UINT_PTR new_thread_timer_id(DWORD thread) {
  TimerState& s = state();
  for (;;) {
    UINT_PTR id = s.next_thread_id;
    s.next_thread_id = id == last_thread_timer_id ? first_thread_timer_id : id - 1;
    if (!find_timer(thread, nullptr, id)) return id;
  }
}

// The timer's window, checked as SetTimer and KillTimer check it and made the handle as issued;
// false when the call must fail.
bool timer_window_allowed(HWND& window, DWORD thread) {
  if (!window) return true;
  Window* w = window_of(window);
  if (!w) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (w->thread_id != thread) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  window = w->self;
  return true;
}

bool earlier(const Timer& a, const Timer& b) { return a.due != b.due ? a.due < b.due : a.serial < b.serial; }

Timer* earliest_taken(DWORD thread, const MessageFilter& filter, bool due_only) {
  Timer* best = nullptr;
  for (Timer& t : state().timers) {
    if (t.thread != thread || (due_only && t.due > state().clock)) continue;
    // A thread timer is no thread message to a (HWND)-1 filter: Wine leaves it in the queue.
    if (!t.window && filter.window) continue;
    if (!filter.takes(t.window, WM_TIMER)) continue;
    if (!best || earlier(t, *best)) best = &t;
  }
  return best;
}

}  // namespace

std::uint64_t clock_now() { return state().clock; }

void advance_clock_to(std::uint64_t when) { state().clock = std::max(state().clock, when); }

bool take_due_timer(DWORD thread, const MessageFilter& filter, bool remove, MSG& out) {
  Timer* t = earliest_taken(thread, filter, true);
  if (!t) return false;
  out = MSG{t->window,  WM_TIMER, t->id, reinterpret_cast<LPARAM>(t->callback), static_cast<DWORD>(state().clock),
            POINT{0, 0}};
  if (remove) {
    std::uint64_t now = state().clock;
    // The next period after the present: however late the timer was taken, it fired once.
    t->due += (now - t->due) / t->period * t->period + t->period;
  }
  return true;
}

std::optional<std::uint64_t> next_timer_due(DWORD thread, const MessageFilter& filter) {
  if (Timer* t = earliest_taken(thread, filter, false)) return t->due;
  return std::nullopt;
}

bool known_timer_callback(TIMERPROC callback) { return state().callbacks.count(callback) != 0; }

void forget_window_timers(HWND window) {
  auto& timers = state().timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == window; }),
               timers.end());
}

void clear_timers() {
  TimerState& s = state();
  s.clock = 0;
  s.timers.clear();
  s.callbacks.clear();
  s.next_thread_id = first_thread_timer_id;
}

}  // namespace veneer::headless

using namespace veneer::headless;

namespace veneer::headless::testing {

void advance_clock(DWORD milliseconds) {
  std::lock_guard lock(platform_lock());
  advance_clock_to(state().clock + milliseconds);
  wake_message_waiters();
}

DWORD clock_milliseconds() {
  std::lock_guard lock(platform_lock());
  return static_cast<DWORD>(state().clock);
}

}  // namespace veneer::headless::testing

extern "C" {

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback) {
  std::lock_guard lock(platform_lock());
  desktop();
  DWORD thread = current_identity().thread_id;
  if (!timer_window_allowed(window, thread)) return 0;
  TimerState& s = state();
  UINT period = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  Timer* t = (window || id) ? find_timer(thread, window, id) : nullptr;
  if (!t) {
    Timer made;
    made.thread = thread;
    made.window = window;
    made.id = window ? id : new_thread_timer_id(thread);
    s.timers.push_back(made);
    t = &s.timers.back();
  }
  // Setting a timer again starts its period afresh.
  t->period = period;
  t->callback = callback;
  t->due = s.clock + period;
  t->serial = s.next_serial++;
  if (callback) s.callbacks.insert(callback);
  wake_message_waiters();
  return t->id ? t->id : 1;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  std::lock_guard lock(platform_lock());
  desktop();
  DWORD thread = current_identity().thread_id;
  if (!timer_window_allowed(window, thread)) return FALSE;
  Timer* t = find_timer(thread, window, id);
  if (!t) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto& timers = state().timers;
  timers.erase(timers.begin() + (t - timers.data()));
  return TRUE;
}

}  // extern "C"
