#include "tests/support/platform_spy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include "tests/support/import_hooks.h"
#include "tests/support/live_objects_win32.h"
#else
#include <veneer/headless/testing.h>
#endif

namespace veneer::test::spy {

namespace {

RECT shell_answer{};

HRESULT WINAPI shell_notify_icon_get_rect(const NOTIFYICONIDENTIFIER*, RECT* rect) {
  *rect = shell_answer;
  return S_OK;
}

}  // namespace

#ifdef _WIN32

namespace {

Animation animation_seen;
unsigned trims_seen = 0;
Flash flash_seen;
bool flash_missing = false;

decltype(&DrawAnimatedRects) real_draw_animated_rects;
decltype(&SetProcessWorkingSetSize) real_set_working_set;
decltype(&GetProcAddress) real_get_proc_address;
FARPROC real_flash_window_ex;
bool shell_answers = false;

BOOL WINAPI draw_animated_rects(HWND window, int id, const RECT* from, const RECT* to) {
  ++animation_seen.count;
  animation_seen.window = window;
  animation_seen.animation = id;
  if (from) animation_seen.from = *from;
  if (to) animation_seen.to = *to;
  return real_draw_animated_rects(window, id, from, to);
}

BOOL WINAPI set_working_set(HANDLE process, SIZE_T minimum, SIZE_T maximum) {
  if (minimum == static_cast<SIZE_T>(-1) && maximum == static_cast<SIZE_T>(-1)) ++trims_seen;
  return real_set_working_set(process, minimum, maximum);
}

BOOL WINAPI flash_window_ex(PFLASHWINFO info) {
  ++flash_seen.calls;
  flash_seen.window = info->hwnd;
  flash_seen.flags = info->dwFlags;
  flash_seen.count = info->uCount;
  flash_seen.timeout = info->dwTimeout;
  return reinterpret_cast<BOOL(WINAPI*)(PFLASHWINFO)>(reinterpret_cast<void (*)()>(real_flash_window_ex))(info);
}

FARPROC WINAPI get_proc_address(HMODULE module, LPCSTR name) {
  FARPROC real = real_get_proc_address(module, name);
  if (real && reinterpret_cast<std::uintptr_t>(name) >= 0x10000 && std::strcmp(name, "FlashWindowEx") == 0) {
    if (flash_missing) return nullptr;
    real_flash_window_ex = real;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(flash_window_ex));
  }
  if (shell_answers && reinterpret_cast<std::uintptr_t>(name) >= 0x10000 &&
      std::strcmp(name, "Shell_NotifyIconGetRect") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(shell_notify_icon_get_rect));
  return real;
}

template <typename F>
void patch(HMODULE module, const char* dll, const char* name, F replacement, F& original) {
  void* real = nullptr;
  if (!hooks::patch_import(module, dll, name, reinterpret_cast<void*>(replacement), &real))
    ADD_FAILURE() << "veneer.dll does not import " << dll << "!" << name << ": the spy cannot see it";
  original = reinterpret_cast<F>(real);
}

}  // namespace

void install() {
  static bool done = false;
  if (done) return;
  done = true;
  HMODULE library = GetModuleHandleA("veneer.dll");
  if (!library) {
    ADD_FAILURE() << "veneer.dll is not loaded: the spy cannot see what it asks";
    return;
  }
  patch(library, "user32.dll", "DrawAnimatedRects", &draw_animated_rects, real_draw_animated_rects);
  patch(library, "kernel32.dll", "SetProcessWorkingSetSize", &set_working_set, real_set_working_set);
  patch(library, "kernel32.dll", "GetProcAddress", &get_proc_address, real_get_proc_address);
  // Process handles and remote memory are counted with every other object.
  if (!live::install().empty()) ADD_FAILURE() << live::install();
}

Animation last_animation() { return animation_seen; }
unsigned trims() { return trims_seen; }
Flash last_flash(HWND) { return flash_seen; }
void set_flash_entry_missing(bool missing) { flash_missing = missing; }
void set_shell_icon_rect(const RECT* answer) {
  shell_answers = answer != nullptr;
  if (answer) shell_answer = *answer;
}
long open_process_handles() { return live::counts().n[live::ProcessHandle]; }
long remote_allocations() { return live::counts().n[live::RemoteAllocation]; }

#else

using namespace veneer::headless::testing;

void install() {}

Animation last_animation() {
  CaptionAnimation a = last_caption_animation();
  return Animation{a.count, a.window, a.animation, a.from, a.to};
}

unsigned trims() { return working_set_trims(); }

Flash last_flash(HWND window) {
  FlashState s = flash_state(window);
  return Flash{s.requests, window, s.flags, s.count, s.timeout};
}

void set_flash_entry_missing(bool missing) {
  if (missing)
    remove_entry_point("user32.dll", "FlashWindowEx");
  else
    restore_entry_point("user32.dll", "FlashWindowEx");
}

void set_shell_icon_rect(const RECT* answer) {
  static bool replaced = false;
  if (answer) shell_answer = *answer;
  if (answer && !replaced)
    replaced = replace_entry_point("shell32.dll", "Shell_NotifyIconGetRect",
                                   reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(shell_notify_icon_get_rect)));
  else if (!answer && replaced)
    replaced = !restore_entry_point("shell32.dll", "Shell_NotifyIconGetRect");
}

long open_process_handles() { return static_cast<long>(live_objects(ObjectKind::ProcessHandle)); }
long remote_allocations() { return static_cast<long>(live_objects(ObjectKind::RemoteAllocation)); }

#endif

}  // namespace veneer::test::spy
