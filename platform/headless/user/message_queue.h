// Internal state of the message queues and timers, shared by message_queue.cpp (posting,
// taking, dispatching) and timers.cpp. Everything here is used under platform_lock().
#pragma once

#include <cstdint>
#include <optional>

#include <veneer/headless/user.h>

namespace veneer::headless {

// What a PeekMessage or GetMessage call asks for.
struct MessageFilter {
  HWND window = nullptr;  // null: all; (HWND)-1: thread messages only; else a window and its descendants
  UINT first = 0;
  UINT last = 0;
  bool takes(HWND target, UINT message) const;
};

// The platform's clock, in milliseconds since the desktop was (re)started.
std::uint64_t clock_now();
void advance_clock_to(std::uint64_t when);

// The earliest due timer of the thread that the filter takes, as its WM_TIMER; taking it
// (remove) schedules its next period after the present, so a late timer fires once.
bool take_due_timer(DWORD thread, const MessageFilter& filter, bool remove, MSG& out);
// When the earliest timer of the thread that the filter takes is due, if it has one.
std::optional<std::uint64_t> next_timer_due(DWORD thread, const MessageFilter& filter);
// Whether SetTimer was ever given this callback since the desktop started, so that
// DispatchMessage calls only what was registered, never an lParam a program made up.
bool known_timer_callback(TIMERPROC callback);
void forget_window_timers(HWND window);
void clear_timers();

// Wakes threads waiting in GetMessage to look at their queues again.
void wake_message_waiters();

}  // namespace veneer::headless
