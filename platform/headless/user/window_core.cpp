// Windows: creation and destruction, the tree of parents and children, window procedures and
// messages, text and window data.
#include <algorithm>
#include <cstring>

#include "gdi/objects.h"
#include "user/desktop_state.h"
#include "user/window_paint.h"
#include <veneer/headless/kernel_base.h>

namespace veneer::headless {

namespace {

std::vector<void (*)()>& start_hooks() {
  static auto* hooks = new std::vector<void (*)()>;
  return *hooks;
}

std::vector<void (*)()>& reset_hooks() {
  static auto* hooks = new std::vector<void (*)()>;
  return *hooks;
}

thread_local DWORD sender_process = 0;
thread_local bool in_message = false;

DesktopState* make_desktop() {
  auto* d = new DesktopState;
  register_platform_class("#32769", DefWindowProcA, 0);
  register_platform_class("Static", DefWindowProcA, 0);
  register_platform_class("Button", DefWindowProcA, 0);
  for (auto hook : start_hooks()) hook();
  auto w = std::make_unique<Window>();
  w->permanent = true;  // like a stock object: never counted, never destroyed
  w->window_class = find_class("#32769", 0);
  w->proc = DefWindowProcA;
  w->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  w->rect = RECT{0, 0, screen_width, screen_height};
  w->normal_rect = w->rect;
  Identity desk = desktop_identity();
  w->process_id = desk.process_id;
  w->thread_id = desk.thread_id;
  Window* raw = w.get();
  d->desktop_window = static_cast<HWND>(insert_object(std::move(w)));
  raw->self = d->desktop_window;
  d->work_area = RECT{0, 0, screen_width, screen_height};
  return d;
}

void collect_tree(HWND h, std::vector<HWND>& out) {
  Window* w = window_of(h);
  if (!w) return;
  out.push_back(h);
  for (HWND c : std::vector<HWND>(w->children)) collect_tree(c, out);
}

// Destroys a window, the windows it owns and its children: WM_DESTROY reaches the window
// before its children, WM_NCDESTROY the children before the window, as on Win32.
void destroy_tree(HWND h) {
  DesktopState& d = desktop();
  std::vector<HWND> owned;
  for (HWND top : d.desktop_window ? window_of(d.desktop_window)->children : std::vector<HWND>{}) {
    Window* t = window_of(top);
    if (t && t->owner == h && !t->destroying) owned.push_back(top);
  }
  for (HWND o : owned) destroy_tree(o);

  Window* w = window_of(h);
  if (!w || w->destroying) return;
  std::vector<HWND> tree;
  collect_tree(h, tree);
  for (HWND t : tree) window_of(t)->destroying = true;
  if (is_top_level(*w)) {
    if (d.foreground == h) activate_next_after(h);
    if ((w = window_of(h)) && (w->style & WS_VISIBLE)) w->style &= ~WS_VISIBLE;
  }
  for (HWND t : tree)
    if (window_of(t)) send_message(t, WM_DESTROY, 0, 0);
  for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
    if (!window_of(*it)) continue;
    send_message(*it, WM_NCDESTROY, 0, 0);
    Window* gone = window_of(*it);
    if (!gone) continue;
    unlink_window(*gone);
    if (gone->window_class) --gone->window_class->windows;
    if (d.foreground == *it) d.foreground = nullptr;
    if (gone->region) gdi::delete_window_region(gone->region);
    forget_window_messages(*it);
    erase_object(*it, ObjectKind::Window);
  }
}

}  // namespace

DesktopState& desktop() {
  static DesktopState* d = [] {
    std::lock_guard lock(platform_lock());
    return make_desktop();
  }();
  return *d;
}

void on_desktop_start(void (*hook)()) {
  std::lock_guard lock(platform_lock());
  start_hooks().push_back(hook);
}

void on_desktop_reset(void (*hook)()) {
  std::lock_guard lock(platform_lock());
  reset_hooks().push_back(hook);
}

void run_desktop_reset_hooks() {
  std::lock_guard lock(platform_lock());
  for (auto hook : reset_hooks()) hook();
}

Window* window_of(HWND window) { return find<Window>(window); }

Window* checked_window(HWND window) {
  desktop();
  Window* w = window_of(window);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

bool is_top_level(const Window& w) { return w.parent == desktop().desktop_window; }

DWORD message_sender_process() { return in_message ? sender_process : current_process_id(); }

LRESULT send_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Window* w = window_of(window);
  if (!w || !w->proc) return 0;
  WNDPROC proc = w->proc;
  Identity owner{w->process_id, w->thread_id};
  DWORD saved_sender = sender_process;
  bool saved_in = in_message;
  sender_process = current_process_id();
  in_message = true;
  LRESULT result;
  {
    // The procedure runs on the window's thread, as a sent message does on Win32.
    IdentityScope as_owner(owner);
    result = proc(window, message, wparam, lparam);
  }
  sender_process = saved_sender;
  in_message = saved_in;
  return result;
}

void destroy_windows_of_process(DWORD process_id) {
  std::lock_guard lock(platform_lock());
  DesktopState& d = desktop();
  std::vector<HWND> doomed;
  for (HWND top : window_of(d.desktop_window)->children) {
    Window* w = window_of(top);
    if (w && w->process_id == process_id) doomed.push_back(top);
  }
  for (HWND h : doomed) {
    Window* w = window_of(h);
    if (!w) continue;
    IdentityScope as_owner(Identity{w->process_id, w->thread_id});
    destroy_tree(h);
  }
}

}  // namespace veneer::headless

using namespace veneer::headless;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  std::lock_guard lock(platform_lock());
  DesktopState& d = desktop();
  Identity me = current_identity();
  WindowClass* cls = find_class(class_name, me.process_id);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return nullptr;
  }
  HWND owner = nullptr;
  if (style & WS_CHILD) {
    if (!parent) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    if (!window_of(parent)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
  } else {
    if (parent && parent != d.desktop_window) {
      // A top-level window's "parent" is its owner: the owner's top-level ancestor.
      Window* o = window_of(parent);
      if (!o) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      while (o && !is_top_level(*o)) o = window_of(o->parent);
      owner = o ? o->self : nullptr;
    }
    parent = d.desktop_window;
    if (!(style & WS_POPUP)) style |= WS_CLIPSIBLINGS | WS_CAPTION;  // overlapped windows always have a caption
  }
  const bool overlapped = !(style & (WS_POPUP | WS_CHILD));
  if (overlapped) {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
      width = screen_width * 3 / 4;
      height = screen_height * 3 / 4;
    }
  } else {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
  }

  HWND h = create<Window, HWND>();
  if (!h) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Window* w = window_of(h);
  w->self = h;
  w->window_class = cls;
  ++cls->windows;
  w->proc = cls->info.lpfnWndProc;
  w->style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  w->ex_style = ex_style;
  w->parent = parent;
  w->owner = owner;
  w->instance = instance;
  w->id = (style & WS_CHILD) ? reinterpret_cast<LONG_PTR>(menu) : 0;
  w->extra.assign(static_cast<std::size_t>(std::max(0, cls->info.cbWndExtra)), 0);
  w->process_id = me.process_id;
  w->thread_id = me.thread_id;
  clamp_size(*w, width, height);
  w->rect = RECT{x, y, wrapped_coordinate(static_cast<long long>(x) + width),
                 wrapped_coordinate(static_cast<long long>(y) + height)};
  w->normal_rect = w->rect;
  if (is_top_level(*w))
    link_window(*w, HWND_TOP);
  else
    window_of(parent)->children.push_back(h);  // new child windows go to the bottom

  CREATESTRUCTA cs{};
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = (style & WS_CHILD) ? parent : owner;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = window_name;
  cs.lpszClass = class_name;
  cs.dwExStyle = ex_style;
  if (!send_message(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
      send_message(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    if (window_of(h)) destroy_tree(h);
    return nullptr;
  }
  if (!window_of(h)) return nullptr;
  w = window_of(h);
  RECT client = client_rect_in_parent(*w);
  send_message(h, WM_SIZE, SIZE_RESTORED, MAKELONG(client.right - client.left, client.bottom - client.top));
  if (!window_of(h)) return nullptr;
  send_message(h, WM_MOVE, 0, MAKELONG(client.left, client.top));
  if (!window_of(h)) return nullptr;
  if (style & WS_MINIMIZE)
    ShowWindow(h, (style & WS_VISIBLE) ? SW_SHOWMINIMIZED : SW_MINIMIZE);
  else if (style & WS_MAXIMIZE)
    ShowWindow(h, SW_SHOWMAXIMIZED);
  else if (style & WS_VISIBLE)
    ShowWindow(h, SW_SHOW);
  return window_of(h) ? h : nullptr;
}

BOOL WINAPI DestroyWindow(HWND window) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return FALSE;
  // Only the thread that created a window may destroy it.
  if (w->thread_id != current_identity().thread_id || window == desktop().desktop_window) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  destroy_tree(window);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
  desktop();
  return window_of(window) ? TRUE : FALSE;
}

HWND WINAPI GetDesktopWindow() { return desktop().desktop_window; }

BOOL WINAPI IsChild(HWND parent, HWND window) {
  std::lock_guard lock(platform_lock());
  Window* w = window_of(window);
  while (w && (w->style & WS_CHILD)) {
    if (w->parent == parent) return TRUE;
    w = window_of(w->parent);
  }
  return FALSE;
}

HWND WINAPI GetParent(HWND window) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND WINAPI GetWindow(HWND window, UINT relation) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return nullptr;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (relation == GW_OWNER) return w->owner;
  Window* p = window_of(w->parent);
  if (!p) return nullptr;
  auto& s = p->children;
  auto it = std::find(s.begin(), s.end(), window);
  switch (relation) {
    case GW_HWNDFIRST:
      return s.front();
    case GW_HWNDLAST:
      return s.back();
    case GW_HWNDNEXT:
      return it == s.end() || it + 1 == s.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
      return it == s.begin() || it == s.end() ? nullptr : *(it - 1);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HWND WINAPI GetTopWindow(HWND window) {
  std::lock_guard lock(platform_lock());
  Window* w = window ? checked_window(window) : window_of(desktop().desktop_window);
  if (!w) return nullptr;
  return w->children.empty() ? nullptr : w->children.front();
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  std::lock_guard lock(platform_lock());
  if (!checked_window(window)) return 0;
  return send_message(window, message, wparam, lparam);
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return proc ? proc(window, message, wparam, lparam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  std::lock_guard lock(platform_lock());
  Window* w = window_of(window);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lparam);
      if (cs && cs->lpszName && reinterpret_cast<std::uintptr_t>(cs->lpszName) >= 0x10000) w->title = cs->lpszName;
      return TRUE;
    }
    case WM_SETTEXT:
      w->title = lparam ? reinterpret_cast<const char*>(lparam) : "";
      return TRUE;
    case WM_GETTEXT: {
      if (wparam == 0 || !lparam) return 0;
      std::size_t n = std::min<std::size_t>(w->title.size(), wparam - 1);
      std::memcpy(reinterpret_cast<char*>(lparam), w->title.data(), n);
      reinterpret_cast<char*>(lparam)[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->title.size());
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (BeginPaint(window, &paint)) EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return erase_with_class_brush(window, reinterpret_cast<HDC>(wparam)) ? 1 : 0;
    case WM_PRINT: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      if ((lparam & PRF_CHECKVISIBLE) && !IsWindowVisible(window)) return 0;
      if (lparam & PRF_ERASEBKGND) send_message(window, WM_ERASEBKGND, wparam, 0);
      if ((lparam & PRF_CLIENT) && window_of(window))
        send_message(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), lparam);
      return 0;
    }
    case WM_NCPAINT: {
      HDC dc = GetWindowDC(window);
      draw_plain_frame(window, dc);
      if (dc) ReleaseDC(window, dc);
      return 0;
    }
    default:
      return 0;
  }
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  std::lock_guard lock(platform_lock());
  if (!checked_window(window)) return FALSE;
  return send_message(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int size) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w || !text || size <= 0) return 0;
  if (w->process_id == current_process_id())
    return static_cast<int>(
        send_message(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text)));
  // Another process's window: its text is read without a message, as Win32 does.
  std::size_t n = std::min<std::size_t>(w->title.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(text, w->title.data(), n);
  text[n] = '\0';
  return static_cast<int>(n);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(w->ex_style);
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWLP_ID:
      return w->id;
    case GWLP_USERDATA:
      return w->user_data;
    default:
      if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        LONG_PTR v;
        std::memcpy(&v, w->extra.data() + index, sizeof v);
        return v;
      }
      SetLastError(1413);  // ERROR_INVALID_INDEX
      return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtrA(window, index);
  switch (index) {
    case GWL_STYLE:
      w->style = static_cast<DWORD>(value);
      break;
    case GWL_EXSTYLE:
      w->ex_style = static_cast<DWORD>(value);
      break;
    case GWLP_WNDPROC:
      w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWLP_HINSTANCE:
      w->instance = reinterpret_cast<HINSTANCE>(value);
      break;
    case GWLP_ID:
      w->id = value;
      break;
    case GWLP_USERDATA:
      w->user_data = value;
      break;
    default:
      if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        std::memcpy(w->extra.data() + index, &value, sizeof value);
        break;
      }
      SetLastError(1413);  // ERROR_INVALID_INDEX
      return 0;
  }
  return old;
}

// The window's extra bytes at index that hold a LONG; null (ERROR_INVALID_INDEX) past them.
static unsigned char* extra_long(Window* w, int index) {
  if (static_cast<std::size_t>(index) + sizeof(LONG) > w->extra.size()) {
    SetLastError(1413);
    return nullptr;
  }
  return w->extra.data() + index;
}

LONG WINAPI GetWindowLongA(HWND window, int index) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return 0;
  if (index >= 0) {
    unsigned char* at = extra_long(w, index);
    if (!at) return 0;
    LONG v;
    std::memcpy(&v, at, sizeof v);
    return v;
  }
  return static_cast<LONG>(GetWindowLongPtrA(window, index));
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return 0;
  if (index >= 0) {
    unsigned char* at = extra_long(w, index);
    if (!at) return 0;
    LONG old;
    std::memcpy(&old, at, sizeof old);
    std::memcpy(at, &value, sizeof value);
    return old;
  }
  return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD process_id) {
  std::lock_guard lock(platform_lock());
  Window* w = checked_window(window);
  if (!w) return 0;
  if (process_id) *process_id = w->process_id;
  return w->thread_id;
}

}  // extern "C"
