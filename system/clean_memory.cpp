#include <cstring>

#include "frame/platform.h"
#include <veneer/veneer.h>

namespace {
// A decimal count of bytes, not 20 MiB.
constexpr SIZE_T trim_threshold = 20000000;
constexpr DWORD process_all_access = 0x1F0FFF;
}  // namespace

void AfxCleanMemory(CWnd* window, int force) {
  DWORD foreground_process = 0;
  DWORD own_process = GetCurrentProcessId();
  HWND foreground = GetForegroundWindow();
  if (foreground) GetWindowThreadProcessId(foreground, &foreground_process);
  if (!force) {
    if (own_process == foreground_process) return;  // the user is working with the host
    if (!window) return;                            // no window to ask whether it is minimised
    if (IsIconic(window->m_hWnd)) return;
  }
  PROCESS_MEMORY_COUNTERS counters;
  std::memset(&counters, 0, sizeof counters);
  counters.cb = sizeof counters;
  HANDLE process = OpenProcess(process_all_access, TRUE, own_process);
  if (GetProcessMemoryInfo(process, &counters, sizeof counters) && counters.WorkingSetSize > trim_threshold)
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
  CloseHandle(process);
}
