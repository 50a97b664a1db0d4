#include "frame/platform.h"
#include "include/veneer/veneer.h"

namespace {

using OpenClipboardFn = BOOL(WINAPI*)(HWND);
using CloseClipboardFn = BOOL(WINAPI*)();
using GetClipboardDataFn = HANDLE(WINAPI*)(UINT);
using GetDesktopWindowFn = HWND(WINAPI*)();

// The clipboard calls are looked up in user32 by name at each call.
template <typename F>
F user32_entry(const char* name) {
  HMODULE user = GetModuleHandleA("user32.dll");
  FARPROC entry = user ? GetProcAddress(user, name) : nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(entry));
}

// Closes the clipboard on every way out, an exception from copying the text included.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(CloseClipboardFn close) : close_(close) {}
  ~OpenedClipboard() { close_(); }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;

 private:
  CloseClipboardFn close_;
};

}  // namespace

CStringT AfxGetClipboardText() {
  CStringT text;
  const auto open_clipboard = user32_entry<OpenClipboardFn>("OpenClipboard");
  const auto close_clipboard = user32_entry<CloseClipboardFn>("CloseClipboard");
  const auto get_clipboard_data = user32_entry<GetClipboardDataFn>("GetClipboardData");
  const auto get_desktop_window = user32_entry<GetDesktopWindowFn>("GetDesktopWindow");
  if (!open_clipboard || !close_clipboard || !get_clipboard_data || !get_desktop_window) return text;

  // Opened for the desktop window, not for any window of the host.
  if (!open_clipboard(get_desktop_window())) return text;
  OpenedClipboard opened(close_clipboard);
  HANDLE data = get_clipboard_data(CF_TEXT);
  if (!data) return text;
  if (const char* chars = static_cast<const char*>(GlobalLock(data))) {
    // Another program's block need not end in a zero byte: the text stops at the first
    // zero or at the end of the block, never past it.
    const SIZE_T size = GlobalSize(data);
    SIZE_T length = 0;
    while (length < size && length < 0x7fffffff && chars[length]) ++length;
    text = CStringT(chars, static_cast<int>(length));
  }
  GlobalUnlock(data);
  return text;
}
