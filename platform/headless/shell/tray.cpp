// The headless shell: a taskbar in the desktop's process whose notification area is a
// toolbar with one button per tray icon. The shell keeps a record per icon in its own memory
// (owner window, then identifier, ...) and gives each button that record's address as data,
// so that a program can find its icon's button the way it would in Windows' shell.
#include <algorithm>
#include <cstring>
#include <vector>

#include "user/desktop_state.h"
#include <veneer/headless/commctrl.h>
#include <veneer/headless/kernel_base.h>
#include <veneer/headless/shell.h>

namespace veneer::headless {
namespace {

constexpr int taskbar_height = 30;
constexpr int notify_width = 180;
constexpr std::size_t records_bytes = 64 * 1024;

// The shell's record of one icon; a reader needs only its head: the window, then the id.
struct IconRecord {
  HWND window;
  UINT id;
  UINT callback_message;
  DWORD state;
  HICON icon;
  char tip[128];
};

struct Icon {
  HWND window;
  UINT id;
  int command;
  IconRecord* record;
};

struct Shell {
  bool running = false;
  HWND taskbar = nullptr;
  HWND notify = nullptr;
  HWND pager = nullptr;
  HWND toolbar = nullptr;
  RECT saved_work_area{};
  IconRecord* records = nullptr;
  std::vector<bool> used;
  std::vector<Icon> icons;
  int next_command = 1;
};

Shell& shell() {
  static auto* s = new Shell;
  return *s;
}

LRESULT CALLBACK shell_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

void register_shell_class(const char* name) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = shell_window_proc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
  wc.lpszClassName = name;
  RegisterClassA(&wc);  // already there after an earlier start: fine
}

Icon* find_icon(HWND window, UINT id) {
  for (auto& i : shell().icons)
    if (i.window == window && i.id == id) return &i;
  return nullptr;
}

// The button index of an icon, asked of the toolbar as the shell would.
int button_index(int command) {
  HWND tb = shell().toolbar;
  int count = static_cast<int>(send_message(tb, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON b{};
    if (send_message(tb, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b)) && b.idCommand == command)
      return i;
  }
  return -1;
}

bool has_field(const NOTIFYICONDATAA& d, std::size_t end) { return d.cbSize >= end; }

void apply(const NOTIFYICONDATAA& d, IconRecord& r) {
  if (d.uFlags & NIF_MESSAGE) r.callback_message = d.uCallbackMessage;
  if (d.uFlags & NIF_ICON) r.icon = d.hIcon;
  if (d.uFlags & NIF_TIP) {
    std::size_t limit = has_field(d, offsetof(NOTIFYICONDATAA, dwState)) ? sizeof d.szTip : 64;
    std::size_t n = strnlen(d.szTip, limit - 1);
    std::memcpy(r.tip, d.szTip, n);
    r.tip[n] = '\0';
  }
  if ((d.uFlags & NIF_STATE) && has_field(d, offsetof(NOTIFYICONDATAA, szInfo)))
    r.state = (r.state & ~d.dwStateMask) | (d.dwState & d.dwStateMask);
}

// A reset desktop has no shell.
const bool shell_reset_hooked = [] {
  on_desktop_reset([] { HeadlessStopShell(); });
  return true;
}();

}  // namespace
}  // namespace veneer::headless

using namespace veneer::headless;

extern "C" {

BOOL WINAPI HeadlessStartShell(DWORD flags) {
  std::lock_guard lock(platform_lock());
  Shell& s = shell();
  if (s.running) return FALSE;
  DesktopState& d = desktop();
  IdentityScope as_shell(desktop_identity());
  register_shell_class("Shell_TrayWnd");
  register_shell_class("TrayNotifyWnd");
  register_shell_class("SysPager");
  s.records = static_cast<IconRecord*>(VirtualAlloc(nullptr, records_bytes, MEM_COMMIT, PAGE_READWRITE));
  if (!s.records) return FALSE;
  s.used.assign(records_bytes / sizeof(IconRecord), false);
  // Shown without activation: the taskbar does not take the foreground from programs.
  s.taskbar =
      CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP | WS_CLIPCHILDREN, 0,
                      screen_height - taskbar_height, screen_width, taskbar_height, nullptr, nullptr, nullptr, nullptr);
  s.notify = CreateWindowExA(0, "TrayNotifyWnd", "", WS_CHILD | WS_VISIBLE, screen_width - notify_width - 2, 2,
                             notify_width, taskbar_height - 4, s.taskbar, nullptr, nullptr, nullptr);
  HWND toolbar_parent = s.notify;
  s.pager = nullptr;
  if (!(flags & HEADLESS_SHELL_NO_PAGER)) {
    s.pager = CreateWindowExA(0, "SysPager", "", WS_CHILD | WS_VISIBLE, 2, 1, notify_width - 4, taskbar_height - 6,
                              s.notify, nullptr, nullptr, nullptr);
    toolbar_parent = s.pager;
  }
  s.toolbar = CreateWindowExA(
      0, TOOLBARCLASSNAMEA, "Notification Area",
      WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_FLAT | TBSTYLE_WRAPABLE, 0, 0,
      notify_width - 4, taskbar_height - 6, toolbar_parent, nullptr, nullptr, nullptr);
  if (!s.taskbar || !s.notify || !s.toolbar || (!(flags & HEADLESS_SHELL_NO_PAGER) && !s.pager)) {
    if (s.taskbar) DestroyWindow(s.taskbar);
    VirtualFree(s.records, 0, MEM_RELEASE);
    s = Shell{};
    return FALSE;
  }
  send_message(s.toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  ShowWindow(s.taskbar, SW_SHOWNA);
  s.saved_work_area = d.work_area;
  d.work_area = RECT{0, 0, screen_width, screen_height - taskbar_height};
  s.running = true;
  return TRUE;
}

BOOL WINAPI HeadlessStopShell() {
  std::lock_guard lock(platform_lock());
  Shell& s = shell();
  if (!s.running) return FALSE;
  IdentityScope as_shell(desktop_identity());
  if (IsWindow(s.taskbar)) DestroyWindow(s.taskbar);
  VirtualFree(s.records, 0, MEM_RELEASE);
  desktop().work_area = s.saved_work_area;
  s = Shell{};
  return TRUE;
}

BOOL WINAPI Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
  std::lock_guard lock(platform_lock());
  Shell& s = shell();
  if (!s.running || !data || data->cbSize < NOTIFYICONDATAA_V1_SIZE || !IsWindow(s.toolbar)) return FALSE;
  if (!IsWindow(data->hWnd)) return FALSE;
  NOTIFYICONDATAA d{};
  std::memcpy(&d, data, std::min<std::size_t>(data->cbSize, sizeof d));
  Icon* icon = find_icon(d.hWnd, d.uID);
  IdentityScope as_shell(desktop_identity());
  switch (message) {
    case NIM_ADD: {
      if (icon) return FALSE;
      std::size_t slot = 0;
      while (slot < s.used.size() && s.used[slot]) ++slot;
      if (slot == s.used.size()) return FALSE;
      IconRecord* r = &s.records[slot];
      *r = IconRecord{};
      r->window = d.hWnd;
      r->id = d.uID;
      apply(d, *r);
      TBBUTTON b{};
      b.iBitmap = static_cast<int>(s.icons.size());
      b.idCommand = s.next_command++;
      b.fsState = TBSTATE_ENABLED | ((r->state & NIS_HIDDEN) ? TBSTATE_HIDDEN : 0);
      b.fsStyle = BTNS_BUTTON;
      b.dwData = reinterpret_cast<DWORD_PTR>(r);
      b.iString = -1;
      if (!send_message(s.toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b))) return FALSE;
      s.used[slot] = true;
      s.icons.push_back(Icon{d.hWnd, d.uID, b.idCommand, r});
      return TRUE;
    }
    case NIM_MODIFY:
      if (!icon) return FALSE;
      apply(d, *icon->record);
      send_message(s.toolbar, TB_HIDEBUTTON, static_cast<WPARAM>(icon->command),
                   MAKELONG((icon->record->state & NIS_HIDDEN) ? TRUE : FALSE, 0));
      return TRUE;
    case NIM_DELETE: {
      if (!icon) return FALSE;
      int index = button_index(icon->command);
      if (index >= 0) send_message(s.toolbar, TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
      s.used[static_cast<std::size_t>(icon->record - s.records)] = false;
      s.icons.erase(s.icons.begin() + (icon - s.icons.data()));
      return TRUE;
    }
    case NIM_SETFOCUS:
    case NIM_SETVERSION:
      return icon ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

HRESULT WINAPI Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* icon_location) {
  std::lock_guard lock(platform_lock());
  if (!identifier || !icon_location || identifier->cbSize != sizeof(NOTIFYICONIDENTIFIER)) return E_INVALIDARG;
  Shell& s = shell();
  if (!s.running) return E_FAIL;
  Icon* icon = find_icon(identifier->hWnd, identifier->uID);
  if (!icon) return E_FAIL;
  IdentityScope as_shell(desktop_identity());
  int index = button_index(icon->command);
  RECT r{};
  if (index < 0 || !send_message(s.toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
    return E_FAIL;  // a hidden icon has no place on the screen
  MapWindowPoints(s.toolbar, nullptr, reinterpret_cast<POINT*>(&r), 2);
  *icon_location = r;
  return S_OK;
}

}  // extern "C"
