#include "frame/platform.h"
#include <veneer/veneer.h>

namespace {

// Closes the clipboard on every way out, an exception from copying the text included.
class OpenedClipboard {
 public:
  OpenedClipboard() = default;
  ~OpenedClipboard() { CloseClipboard(); }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

}  // namespace

CStringT AfxGetClipboardText() {
  CStringT text;
  // Opened for the desktop window, not for any window of the host.
  if (!OpenClipboard(GetDesktopWindow())) return text;
  OpenedClipboard opened;
  HANDLE data = GetClipboardData(CF_TEXT);
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
