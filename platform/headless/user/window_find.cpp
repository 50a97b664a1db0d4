// Finding windows by class and title: top-level windows in z-order, or the children of a
// window after a given child. Names compare without regard to case, as on Win32.
#include "user/desktop_state.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;

namespace {

bool is_atom(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) < 0x10000; }

bool matches(const Window& w, LPCSTR class_name, LPCSTR window_name) {
  if (class_name) {
    if (is_atom(class_name)) {
      if (w.window_class->atom != static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(class_name))) return false;
    } else if (!class_names_match(w.window_class->name, class_name)) {
      return false;
    }
  }
  return !window_name || class_names_match(w.title, window_name);
}

}  // namespace

extern "C" {

HWND WINAPI FindWindowExA(HWND parent, HWND child_after, LPCSTR class_name, LPCSTR window_name) {
  if (!call_allowed("FindWindowExA")) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard lock(platform_lock());
  DesktopState& d = desktop();
  if (parent == HWND_MESSAGE) return nullptr;  // the platform has no message-only windows
  Window* p = checked_window(parent ? parent : d.desktop_window);
  if (!p) return nullptr;
  if (child_after && !checked_window(child_after)) return nullptr;
  const auto& list = p->children;
  std::size_t start = 0;
  if (child_after) {
    start = list.size();
    for (std::size_t i = 0; i < list.size(); ++i)
      if (list[i] == child_after) start = i + 1;
  }
  for (std::size_t i = start; i < list.size(); ++i) {
    Window* c = window_of(list[i]);
    if (c && !c->destroying && matches(*c, class_name, window_name)) return list[i];
  }
  if (class_name && !is_atom(class_name) && !find_class(class_name, current_process_id())) {
    // No process registered such a class: say so, as Win32 does.
    bool anywhere = false;
    for (HWND h : window_of(d.desktop_window)->children) {
      Window* c = window_of(h);
      if (c && class_names_match(c->window_class->name, class_name)) anywhere = true;
    }
    if (!anywhere) SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
  }
  return nullptr;
}

HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR window_name) {
  return FindWindowExA(nullptr, nullptr, class_name, window_name);
}

}  // extern "C"
