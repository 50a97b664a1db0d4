// The toolbar control ("ToolbarWindow32") with the messages a notification area needs.
// Buttons are 23 x 22 pixels laid out from the left at y = 2, hidden buttons take no room and
// have no item rectangle, as comctl32 under Wine shows. Records passed through lParam are read
// from and written to the memory of the toolbar's own process, in that process's layout (a
// 32-bit process's button records are 20 bytes, a 64-bit one's 32): directly when the sender
// is of that process, across the process boundary otherwise.
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "user/desktop_state.h"
#include <veneer/headless/commctrl.h>
#include <veneer/headless/kernel_base.h>

namespace veneer::headless {
namespace {

constexpr int button_width = 23;
constexpr int button_height = 22;
constexpr int separator_width = 8;
constexpr int top_margin = 2;
constexpr int divider_height = 2;

struct Toolbar {
  std::vector<TBBUTTON> buttons;
  std::vector<RECT> rects;
  WPARAM struct_size = 0;
};

std::map<HWND, Toolbar>& toolbars() {
  static auto* t = new std::map<HWND, Toolbar>;
  return *t;
}

bool read_from_owner(HWND toolbar, LPARAM address, void* out, std::size_t size) {
  Window* w = window_of(toolbar);
  if (!w || !address) return false;
  if (message_sender_process() == w->process_id) {
    std::memcpy(out, reinterpret_cast<const void*>(address), size);
    return true;
  }
  return copy_from_process(w->process_id, reinterpret_cast<const void*>(address), out, size) == size;
}

bool write_to_owner(HWND toolbar, LPARAM address, const void* data, std::size_t size) {
  Window* w = window_of(toolbar);
  if (!w || !address) return false;
  if (message_sender_process() == w->process_id) {
    std::memcpy(reinterpret_cast<void*>(address), data, size);
    return true;
  }
  return copy_to_process(w->process_id, reinterpret_cast<void*>(address), data, size) == size;
}

// A button record as a 32-bit process lays it out.
struct Button32 {
  std::int32_t bitmap;
  std::int32_t command;
  std::uint8_t state;
  std::uint8_t style;
  std::uint8_t reserved[2];
  std::uint32_t data;
  std::int32_t string;
};
static_assert(sizeof(Button32) == 20, "the 32-bit TBBUTTON");

bool owner_is_32_bit(HWND toolbar) {
  Window* w = window_of(toolbar);
  return w && sizeof(void*) == 8 && is_32_bit_process(w->process_id);
}

TBBUTTON widened(const Button32& b) {
  TBBUTTON out{};
  out.iBitmap = b.bitmap;
  out.idCommand = b.command;
  out.fsState = b.state;
  out.fsStyle = b.style;
  out.dwData = b.data;
  out.iString = b.string;
  return out;
}

Button32 narrowed(const TBBUTTON& b) {
  return Button32{b.iBitmap,
                  b.idCommand,
                  b.fsState,
                  b.fsStyle,
                  {0, 0},
                  static_cast<std::uint32_t>(b.dwData),
                  static_cast<std::int32_t>(b.iString)};
}

// The buttons at `address` in the owner's memory, in the owner's layout.
bool read_buttons(HWND toolbar, LPARAM address, std::vector<TBBUTTON>& buttons) {
  if (!owner_is_32_bit(toolbar))
    return read_from_owner(toolbar, address, buttons.data(), buttons.size() * sizeof(TBBUTTON));
  std::vector<Button32> narrow(buttons.size());
  if (!read_from_owner(toolbar, address, narrow.data(), narrow.size() * sizeof(Button32))) return false;
  for (std::size_t i = 0; i < narrow.size(); ++i) buttons[i] = widened(narrow[i]);
  return true;
}

bool write_button(HWND toolbar, LPARAM address, const TBBUTTON& button) {
  if (!owner_is_32_bit(toolbar)) return write_to_owner(toolbar, address, &button, sizeof button);
  const Button32 narrow = narrowed(button);
  return write_to_owner(toolbar, address, &narrow, sizeof narrow);
}

void layout(HWND window, Toolbar& t) {
  Window* w = window_of(window);
  RECT c = client_rect_in_parent(*w);
  const int client_width = c.right - c.left;
  const bool wrap = (w->style & TBSTYLE_WRAPABLE) != 0;
  int x = 0, y = top_margin;
  t.rects.assign(t.buttons.size(), RECT{});
  int last_visible = -1;
  for (std::size_t i = 0; i < t.buttons.size(); ++i) {
    TBBUTTON& b = t.buttons[i];
    b.fsState &= ~TBSTATE_WRAP;
    if (b.fsState & TBSTATE_HIDDEN) continue;
    int width = (b.fsStyle & BTNS_SEP) ? (b.iBitmap > 0 ? b.iBitmap : separator_width) : button_width;
    if (wrap && x > 0 && x + width > client_width) {
      t.buttons[last_visible].fsState |= TBSTATE_WRAP;
      x = 0;
      y += button_height;
    }
    t.rects[i] = RECT{x, y, x + width, y + button_height};
    x += width;
    last_visible = static_cast<int>(i);
  }
  InvalidateRect(window, nullptr, TRUE);
}

// The buttons in a plain style of the platform's own: icons have no pixels here, so each
// button shows as a square in the highlight colour, outlined in the button text colour.
void paint_buttons(HDC dc, const Toolbar& t) {
  for (std::size_t i = 0; i < t.buttons.size(); ++i) {
    const TBBUTTON& b = t.buttons[i];
    if ((b.fsState & TBSTATE_HIDDEN) || (b.fsStyle & BTNS_SEP)) continue;
    const RECT& r = t.rects[i];
    const RECT mark{r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
    FillRect(dc, &mark, GetSysColorBrush(COLOR_HIGHLIGHT));
    FrameRect(dc, &mark, GetSysColorBrush(COLOR_BTNTEXT));
  }
}

int rows(const Toolbar& t) {
  int n = 1;
  for (std::size_t i = 0; i + 1 < t.buttons.size(); ++i)
    if (t.buttons[i].fsState & TBSTATE_WRAP) ++n;
  return n;
}

// Without CCS_NORESIZE the toolbar takes the height of its rows and, without
// CCS_NOPARENTALIGN, the top of its parent's client area at the parent's full width.
void autosize(HWND window) {
  Window* w = window_of(window);
  auto it = toolbars().find(window);
  if (!w || it == toolbars().end()) return;
  layout(window, it->second);
  if (w->style & CCS_NORESIZE) return;
  RECT in = frame_insets(*w);
  int height = rows(it->second) * button_height + 2 * top_margin + in.top + in.bottom;
  RECT r = w->rect;
  if (!(w->style & CCS_NOPARENTALIGN)) {
    Window* p = window_of(w->parent);
    RECT pc = p ? client_rect_in_parent(*p) : RECT{};
    r = RECT{0, 0, pc.right - pc.left, 0};
  }
  r.bottom = r.top + height;
  place_window(window, r);
  if ((w = window_of(window))) layout(window, toolbars()[window]);
}

LRESULT CALLBACK toolbar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  std::lock_guard lock(platform_lock());
  if (message == WM_NCCREATE) {
    toolbars()[window] = Toolbar{};
    Window* w = window_of(window);
    if (w && !(w->style & CCS_NODIVIDER)) w->control_insets.top = divider_height;
    return DefWindowProcA(window, message, wparam, lparam);
  }
  auto it = toolbars().find(window);
  if (it == toolbars().end()) return DefWindowProcA(window, message, wparam, lparam);
  Toolbar& t = it->second;
  switch (message) {
    case WM_CREATE:
      autosize(window);
      return 0;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(window, &paint)) {
        paint_buttons(dc, t);
        EndPaint(window, &paint);
      }
      return 0;
    }
    case WM_SIZE:
      layout(window, t);
      return 0;
    case WM_NCDESTROY:
      toolbars().erase(it);
      return DefWindowProcA(window, message, wparam, lparam);
    case TB_BUTTONSTRUCTSIZE:
      t.struct_size = wparam;
      return 0;
    case TB_BUTTONCOUNT:
      return static_cast<LRESULT>(t.buttons.size());
    case TB_ADDBUTTONSA: {
      if (wparam == 0) return TRUE;
      if (!lparam || wparam > 4096) return FALSE;
      std::vector<TBBUTTON> added(wparam);
      if (!read_buttons(window, lparam, added)) return FALSE;
      for (auto& b : added) std::memset(b.bReserved, 0, sizeof b.bReserved);
      Toolbar& same = toolbars()[window];
      same.buttons.insert(same.buttons.end(), added.begin(), added.end());
      autosize(window);
      return TRUE;
    }
    case TB_DELETEBUTTON:
      if (wparam >= t.buttons.size()) return FALSE;
      t.buttons.erase(t.buttons.begin() + static_cast<std::ptrdiff_t>(wparam));
      layout(window, t);
      return TRUE;
    case TB_GETBUTTON: {
      if (wparam >= t.buttons.size()) return FALSE;
      return write_button(window, lparam, t.buttons[wparam]) ? TRUE : FALSE;
    }
    case TB_GETITEMRECT: {
      if (wparam >= t.buttons.size() || (t.buttons[wparam].fsState & TBSTATE_HIDDEN)) return FALSE;
      RECT r = t.rects[wparam];
      return write_to_owner(window, lparam, &r, sizeof r) ? TRUE : FALSE;
    }
    case TB_HIDEBUTTON:
      // The first button with the command identifier; the low word of lParam says hide.
      for (auto& b : t.buttons) {
        if (b.idCommand != static_cast<int>(wparam)) continue;
        if (LOWORD(lparam))
          b.fsState |= TBSTATE_HIDDEN;
        else
          b.fsState &= ~TBSTATE_HIDDEN;
        layout(window, t);
        return TRUE;
      }
      return FALSE;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace

// The control's class exists on every desktop, as comctl32's classes do once it is loaded.
const bool toolbar_class_hooked = [] {
  on_desktop_start([] { register_platform_class(TOOLBARCLASSNAMEA, toolbar_proc, CS_DBLCLKS | CS_GLOBALCLASS); });
  return true;
}();

}  // namespace veneer::headless

extern "C" BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  return TRUE;
}
