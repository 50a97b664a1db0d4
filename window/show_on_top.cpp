#include "frame/platform.h"
#include <veneer/veneer.h>

// Raising and activating a window of another thread is refused unless this thread's input is
// joined to the foreground thread's for the moment of the raise.
void AfxShowOnTopWindow(HWND window) {
  if (!IsWindow(window)) return;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  HWND foreground = GetForegroundWindow();
  DWORD own_thread = GetCurrentThreadId();
  DWORD foreground_thread = GetWindowThreadProcessId(foreground, nullptr);
  AttachThreadInput(own_thread, foreground_thread, TRUE);
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetForegroundWindow(window);
  AttachThreadInput(own_thread, foreground_thread, FALSE);
}
