// Window classes: the platform's own (seen by every process) and those a process registers,
// which hide a platform class of the same name within that process.
#include <algorithm>
#include <cstring>
#include <list>
#include <string>

#include "user/desktop_state.h"
#include <veneer/headless/kernel_base.h>

namespace veneer::headless {
namespace {

std::list<WindowClass>& classes() {
  static auto* c = new std::list<WindowClass>;
  return *c;
}

ATOM next_atom() {
  static ATOM atom = 0xC000;
  return atom++;
}

bool is_atom(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) < 0x10000; }

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

ATOM add_class(const WNDCLASSEXA& info, DWORD owner) {
  std::lock_guard lock(platform_lock());
  if (!info.lpszClassName || is_atom(info.lpszClassName) || !*info.lpszClassName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (auto& c : classes()) {
    if (c.owner_process == owner && class_names_match(c.name, info.lpszClassName)) {
      SetLastError(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  }
  WindowClass c;
  c.name = info.lpszClassName;
  c.owner_process = owner;
  c.info = info;
  c.info.lpszClassName = nullptr;  // the caller's string is not ours to keep
  c.info.lpszMenuName = nullptr;
  c.atom = next_atom();
  classes().push_back(std::move(c));
  return classes().back().atom;
}

}  // namespace

bool class_names_match(const std::string& a, LPCSTR b) {
  if (!b) return false;
  std::size_t n = std::strlen(b);
  if (n != a.size()) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

WindowClass* find_class(LPCSTR name, DWORD process_id) {
  std::lock_guard lock(platform_lock());
  if (!name) return nullptr;
  WindowClass* platform_class = nullptr;
  for (auto& c : classes()) {
    bool match = is_atom(name) ? c.atom == static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name))
                               : class_names_match(c.name, name);
    if (!match) continue;
    if (c.owner_process == process_id) return &c;
    if (c.owner_process == 0) platform_class = &c;
  }
  return platform_class;
}

void register_platform_class(const char* name, WNDPROC proc, UINT style) {
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  info.style = style;
  info.lpfnWndProc = proc;
  info.lpszClassName = name;
  add_class(info, 0);
}

}  // namespace veneer::headless

using namespace veneer::headless;

extern "C" {

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* window_class) {
  if (!window_class || window_class->cbSize != sizeof(WNDCLASSEXA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  desktop();  // the platform's classes come first
  return add_class(*window_class, current_process_id());
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* window_class) {
  if (!window_class) {
    SetLastError(ERROR_NOACCESS);
    return 0;
  }
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  info.style = window_class->style;
  info.lpfnWndProc = window_class->lpfnWndProc;
  info.cbClsExtra = window_class->cbClsExtra;
  info.cbWndExtra = window_class->cbWndExtra;
  info.hInstance = window_class->hInstance;
  info.hIcon = window_class->hIcon;
  info.hCursor = window_class->hCursor;
  info.hbrBackground = window_class->hbrBackground;
  info.lpszMenuName = window_class->lpszMenuName;
  info.lpszClassName = window_class->lpszClassName;
  return RegisterClassExA(&info);
}

BOOL WINAPI UnregisterClassA(LPCSTR class_name, HINSTANCE) {
  std::lock_guard lock(platform_lock());
  DWORD pid = current_process_id();
  for (auto it = classes().begin(); it != classes().end(); ++it) {
    bool match = is_atom(class_name) ? it->atom == static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(class_name))
                                     : class_names_match(it->name, class_name);
    if (!match || it->owner_process != pid) continue;
    if (it->windows != 0) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
    classes().erase(it);
    return TRUE;
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

int WINAPI GetClassNameA(HWND window, LPSTR class_name, int size) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return 0;
  if (!class_name || size <= 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::size_t n = std::min<std::size_t>(w->window_class->name.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(class_name, w->window_class->name.data(), n);
  class_name[n] = '\0';
  return static_cast<int>(n);
}

}  // extern "C"
