// The desktop's and the processes' observability for tests (testing.h).
#include <algorithm>

#include "user/desktop_state.h"
#include <veneer/headless/testing.h>

namespace veneer::headless::testing {

std::vector<HWND> z_order() {
  std::lock_guard lock(platform_lock());
  return window_of(desktop().desktop_window)->children;
}

FlashState flash_state(HWND window) {
  std::lock_guard lock(platform_lock());
  desktop();
  FlashState s;
  if (Window* w = window_of(window)) {
    s.flashing = w->flash.flashing;
    s.flags = w->flash.flags;
    s.count = w->flash.count;
    s.timeout = w->flash.timeout;
    s.requests = w->flash.requests;
  }
  return s;
}

CaptionAnimation last_caption_animation() {
  std::lock_guard lock(platform_lock());
  const auto& a = desktop().last_animation;
  return CaptionAnimation{a.window, a.animation, a.from, a.to, a.count};
}

PaintState paint_state(HWND window) {
  std::lock_guard lock(platform_lock());
  desktop();
  PaintState s;
  if (Window* w = window_of(window)) {
    s.invalid = w->internal_paint || pixman_region32_not_empty(&w->update.region);
    s.paints = w->paints;
    s.erases = w->erases;
  }
  return s;
}

bool input_attached(DWORD first_thread, DWORD second_thread) {
  std::lock_guard lock(platform_lock());
  for (auto& [a, b] : desktop().attached_inputs)
    if ((a == first_thread && b == second_thread) || (a == second_thread && b == first_thread)) return true;
  return false;
}

void reset_desktop() {
  std::lock_guard lock(platform_lock());
  run_desktop_reset_hooks();  // the shell stops here
  DesktopState& d = desktop();
  std::vector<DWORD> owners;
  for (HWND h : window_of(d.desktop_window)->children)
    if (Window* w = window_of(h)) owners.push_back(w->process_id);
  std::sort(owners.begin(), owners.end());
  owners.erase(std::unique(owners.begin(), owners.end()), owners.end());
  for (DWORD pid : owners) destroy_windows_of_process(pid);
  d.foreground = nullptr;
  d.work_area = RECT{0, 0, screen_width, screen_height};
  d.attached_inputs.clear();
  d.last_animation = CaptionAnimationRecord{};
}

OtherProcess create_process(const char* name) {
  Identity id = create_simulated_process(name ? name : "process.exe");
  return OtherProcess{id.process_id, id.thread_id};
}

DWORD create_thread(DWORD process_id) { return create_simulated_thread(process_id); }

bool end_process(DWORD process_id) {
  if (is_real_process(process_id) || process_id == desktop_identity().process_id) return false;
  destroy_windows_of_process(process_id);
  return end_simulated_process(process_id);
}

void enter_identity(DWORD process_id, DWORD thread_id) {
  // Kept on a per-thread stack so that scopes nest.
  thread_local std::vector<std::unique_ptr<IdentityScope>>* stack = nullptr;
  if (!stack) stack = new std::vector<std::unique_ptr<IdentityScope>>;
  if (process_id == 0) {
    if (!stack->empty()) stack->pop_back();
    return;
  }
  stack->push_back(std::make_unique<IdentityScope>(Identity{process_id, thread_id}));
}

void leave_identity() { enter_identity(0, 0); }

}  // namespace veneer::headless::testing
