#include <cstring>
#include <map>
#include <string>
#include <thread>

#include "kernel/builtin_modules.h"
#include "kernel/code_page.h"
#include "kernel/object_table.h"
#include <veneer/headless/clipboard.h>
#include <veneer/headless/gdi.h>

using namespace veneer::headless;

namespace {

struct Entry {
  HANDLE data = nullptr;     // owned by the clipboard; null until a synthesized format is rendered
  bool synthesized = false;  // made from the other text format on demand
};

struct Clipboard {
  bool open = false;
  HWND open_window = nullptr;
  std::thread::id open_thread;
  HWND owner = nullptr;
  bool changed = false;  // since it was opened: synthesized formats are settled on closing
  std::map<UINT, Entry> formats;
};

Clipboard& clipboard() {
  static auto* c = new Clipboard;
  return *c;
}

bool opened_by_this_thread(const Clipboard& c) {
  if (c.open && c.open_thread == std::this_thread::get_id()) return true;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return false;
}

void release(UINT format, HANDLE data) {
  if (!data) return;
  if (format == CF_BITMAP)
    DeleteObject(data);
  else
    GlobalFree(data);
}

void release_all(Clipboard& c) {
  for (auto& [format, entry] : c.formats) release(format, entry.data);
  c.formats.clear();
}

// A global block holding the bytes.
HGLOBAL global_copy(const void* bytes, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  if (size) {
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
  }
  return block;
}

// The text of a block up to its first zero character (or its end).
template <typename Char>
std::basic_string<Char> text_of(HGLOBAL block) {
  const std::size_t size = GlobalSize(block) / sizeof(Char);
  const auto* chars = static_cast<const Char*>(GlobalLock(block));
  std::basic_string<Char> text;
  if (chars) {
    std::size_t n = 0;
    while (n < size && chars[n]) ++n;
    text.assign(chars, n);
    GlobalUnlock(block);
  }
  return text;
}

HGLOBAL render(Clipboard& c, UINT format) {
  if (format == CF_UNICODETEXT) {
    std::string ansi = text_of<char>(c.formats[CF_TEXT].data);
    std::u16string wide;
    for (char b : ansi) wide.push_back(ansi_to_unicode(static_cast<unsigned char>(b)));
    wide.push_back(u'\0');
    return global_copy(wide.data(), wide.size() * sizeof(char16_t));
  }
  std::u16string wide = text_of<char16_t>(c.formats[CF_UNICODETEXT].data);
  std::string ansi;
  for (char16_t ch : wide) ansi.push_back(static_cast<char>(unicode_to_ansi(ch)));
  return global_copy(ansi.c_str(), ansi.size() + 1);
}

// Text placed without a terminating zero gets one in its last character, as Wine does, so
// that readers of the clipboard's text never run past the block.
void terminate_text(HGLOBAL block, std::size_t char_size) {
  const std::size_t size = GlobalSize(block) / char_size;
  auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
  if (!bytes) return;
  bool terminated = false;
  for (std::size_t i = 0; i < size && !terminated; ++i) {
    terminated = true;
    for (std::size_t b = 0; b < char_size; ++b) terminated = terminated && bytes[i * char_size + b] == 0;
  }
  if (!terminated && size > 0) std::memset(bytes + (size - 1) * char_size, 0, char_size);
  GlobalUnlock(block);
}

// When one text format was placed without the other, the other is offered from now on.
void settle_synthesized(Clipboard& c) {
  for (auto [from, to] : {std::pair<UINT, UINT>{CF_TEXT, CF_UNICODETEXT}, {CF_UNICODETEXT, CF_TEXT}}) {
    auto source = c.formats.find(from);
    if (source != c.formats.end() && !source->second.synthesized && c.formats.count(to) == 0)
      c.formats[to] = Entry{nullptr, true};
  }
}

}  // namespace

extern "C" {

BOOL WINAPI OpenClipboard(HWND owner) {
  if (!call_allowed("OpenClipboard")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::lock_guard lock(platform_lock());
  Clipboard& c = clipboard();
  if (c.open && c.open_window != owner) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!c.open) c.changed = false;
  c.open = true;
  c.open_window = owner;
  c.open_thread = std::this_thread::get_id();
  return TRUE;
}

BOOL WINAPI CloseClipboard() {
  std::lock_guard lock(platform_lock());
  Clipboard& c = clipboard();
  if (!opened_by_this_thread(c)) return FALSE;
  if (c.changed) settle_synthesized(c);
  c.open = false;
  c.open_window = nullptr;
  return TRUE;
}

BOOL WINAPI EmptyClipboard() {
  if (!call_allowed("EmptyClipboard")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::lock_guard lock(platform_lock());
  Clipboard& c = clipboard();
  if (!opened_by_this_thread(c)) return FALSE;
  release_all(c);
  c.owner = c.open_window;
  c.changed = true;
  return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
  if (!call_allowed("SetClipboardData")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  std::lock_guard lock(platform_lock());
  Clipboard& c = clipboard();
  if (!opened_by_this_thread(c)) return nullptr;
  if (!data || format == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (format == CF_BITMAP && GetObjectType(data) != OBJ_BITMAP) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (format == CF_TEXT || format == CF_UNICODETEXT) terminate_text(data, format == CF_TEXT ? 1 : 2);
  auto it = c.formats.find(format);
  if (it != c.formats.end() && it->second.data != data) release(format, it->second.data);
  c.formats[format] = Entry{data, false};
  c.changed = true;
  SetLastError(ERROR_SUCCESS);
  return data;
}

HANDLE WINAPI GetClipboardData(UINT format) {
  if (!call_allowed("GetClipboardData")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  std::lock_guard lock(platform_lock());
  Clipboard& c = clipboard();
  if (!opened_by_this_thread(c)) return nullptr;
  auto it = c.formats.find(format);
  if (it == c.formats.end()) return nullptr;
  if (!it->second.data && it->second.synthesized) it->second.data = render(c, format);
  return it->second.data;
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  std::lock_guard lock(platform_lock());
  return clipboard().formats.count(format) != 0;
}

int WINAPI CountClipboardFormats() {
  std::lock_guard lock(platform_lock());
  return static_cast<int>(clipboard().formats.size());
}

HWND WINAPI GetOpenClipboardWindow() {
  std::lock_guard lock(platform_lock());
  return clipboard().open ? clipboard().open_window : nullptr;
}

HWND WINAPI GetClipboardOwner() {
  std::lock_guard lock(platform_lock());
  return clipboard().owner;
}

}  // extern "C"

namespace {

template <typename F>
FARPROC entry(F* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// Programs find the clipboard calls in user32 by name too.
struct Registration {
  Registration() {
    register_builtin_entry("user32.dll", "OpenClipboard", entry(OpenClipboard));
    register_builtin_entry("user32.dll", "CloseClipboard", entry(CloseClipboard));
    register_builtin_entry("user32.dll", "EmptyClipboard", entry(EmptyClipboard));
    register_builtin_entry("user32.dll", "SetClipboardData", entry(SetClipboardData));
    register_builtin_entry("user32.dll", "GetClipboardData", entry(GetClipboardData));
    register_builtin_entry("user32.dll", "IsClipboardFormatAvailable", entry(IsClipboardFormatAvailable));
    register_builtin_entry("user32.dll", "CountClipboardFormats", entry(CountClipboardFormats));
    register_builtin_entry("user32.dll", "GetOpenClipboardWindow", entry(GetOpenClipboardWindow));
    register_builtin_entry("user32.dll", "GetClipboardOwner", entry(GetClipboardOwner));
  }
};

const Registration registration;

}  // namespace
