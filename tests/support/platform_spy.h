// What the library asked of the platform, for checks that need more than the calls' effects:
// the caption animation played, working-set trims, the flash request, process handles and
// remote allocations still open. On the headless platform these come from testing.h; on
// Windows, from the library's own import table, whose entries for the few functions concerned
// are pointed at recorders that forward to the real functions.
#pragma once

#include <veneer/framework/win32_api.h>

namespace veneer::test::spy {

// Prepares the recorders (once); call before the library is used in a test.
void install();

struct Animation {
  unsigned count = 0;
  HWND window = nullptr;
  int animation = 0;
  RECT from{};
  RECT to{};
};
Animation last_animation();

// Trims asked for: SetProcessWorkingSetSize with both limits all ones.
unsigned trims();

struct Flash {
  unsigned calls = 0;
  HWND window = nullptr;
  DWORD flags = 0;
  UINT count = 0;
  DWORD timeout = 0;
};
Flash last_flash(HWND window);
// Plays a platform without FlashWindowEx.
void set_flash_entry_missing(bool missing);

// Makes the shell answer Shell_NotifyIconGetRect with the rectangle (null: the platform's own
// answer), for the search's fallback, where no shell (Wine) or a tray of the test's own making
// (the headless platform) would not know the icon.
void set_shell_icon_rect(const RECT* answer);

// Process handles and remote allocations made through the library and not yet released.
long open_process_handles();
long remote_allocations();

}  // namespace veneer::test::spy
