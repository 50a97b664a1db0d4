// Observability of the headless platform, for tests only: live objects by kind and a fault
// hook that makes the Nth creation of a kind fail. Library code never includes this header.
#pragma once

#include <cstddef>
#include <vector>

#include <veneer/headless/types.h>

namespace veneer::headless::testing {

enum class ObjectKind {
  Bitmap,
  Brush,
  Pen,
  Font,
  Region,
  DeviceContext,
  Window,
  ProcessHandle,
  RemoteAllocation,
  FileHandle,
  GlobalMemory,
  AccessToken,
  Count
};

HEADLESS_API const char* kind_name(ObjectKind kind);

// Objects of the kind that exist now (stock objects excluded).
HEADLESS_API std::size_t live_objects(ObjectKind kind);
// All GDI objects (bitmaps, brushes, pens, fonts, regions) and device contexts that exist now.
HEADLESS_API std::size_t live_gdi_objects();

// The nth creation of the kind from now on (1 = the next one) fails as the platform reports
// that failure. One pending fault per kind; a new call replaces it.
HEADLESS_API void fail_nth_creation(ObjectKind kind, unsigned n);
// Every pending fault is dropped.
HEADLESS_API void clear_faults();
// Creations of the kind attempted since the last reset (failed ones included).
HEADLESS_API std::size_t creations(ObjectKind kind);
HEADLESS_API void reset_creation_counts();

// A snapshot of every live count, for "nothing leaked" checks.
struct LiveCounts {
  std::size_t counts[static_cast<int>(ObjectKind::Count)] = {};
  bool operator==(const LiveCounts&) const = default;
};
HEADLESS_API LiveCounts live_counts();

// ---- GDI

// GDI objects and device contexts the process owns now, charged against its quota of 10,000
// (the creation that would make it 10,001 fails, as on Windows).
HEADLESS_API std::size_t gdi_objects_of_process(DWORD process_id);

// ---- Desktop: windows, foreground, z-order, flashing, caption animation, work area

// Top-level windows from the top of the z-order down, hidden ones included.
HEADLESS_API std::vector<HWND> z_order();

// What the taskbar shows of a window's flashing (FlashWindowEx): flashing stops with
// FLASHW_STOP and, under FLASHW_TIMERNOFG, when the window comes to the foreground.
struct FlashState {
  bool flashing = false;
  DWORD flags = 0;
  UINT count = 0;
  DWORD timeout = 0;
  unsigned requests = 0;  // FlashWindowEx calls accepted for the window
};
HEADLESS_API FlashState flash_state(HWND window);

// The last caption animation the desktop played (DrawAnimatedRects); count 0 when none yet.
struct CaptionAnimation {
  HWND window = nullptr;
  int animation = 0;
  RECT from{};
  RECT to{};
  unsigned count = 0;
};
HEADLESS_API CaptionAnimation last_caption_animation();

// Painting requested through RedrawWindow: whether an update is pending, how often the window
// was painted (WM_PAINT sent) and how often its background was erased.
struct PaintState {
  bool invalid = false;
  unsigned paints = 0;
  unsigned erases = 0;
};
HEADLESS_API PaintState paint_state(HWND window);

// Whether AttachThreadInput joined the two threads' input (in either direction).
HEADLESS_API bool input_attached(DWORD first_thread, DWORD second_thread);

// Back to a fresh desktop: the shell stopped, every window of every process destroyed, no
// foreground window, the whole screen as the work area, no joined input, no animation.
HEADLESS_API void reset_desktop();

// ---- Processes, remote memory and the working set

// Another process with one thread, for windows and memory that are not the caller's.
struct OtherProcess {
  DWORD process_id = 0;
  DWORD thread_id = 0;
};
HEADLESS_API OtherProcess create_process(const char* name);
// Another thread of a process (the real one included); 0 when the process does not exist.
HEADLESS_API DWORD create_thread(DWORD process_id);
// Ends a simulated process: its windows are destroyed and its memory released.
HEADLESS_API bool end_process(DWORD process_id);

// Runs the calling thread as the given process's thread: windows it creates belong to that
// thread, the current process is that process (its memory, its identifiers). Scopes nest.
HEADLESS_API void enter_identity(DWORD process_id, DWORD thread_id);
HEADLESS_API void leave_identity();
class ActingAs {
 public:
  ActingAs(DWORD process_id, DWORD thread_id) { enter_identity(process_id, thread_id); }
  explicit ActingAs(const OtherProcess& p) : ActingAs(p.process_id, p.thread_id) {}
  ~ActingAs() { leave_identity(); }
  ActingAs(const ActingAs&) = delete;
  ActingAs& operator=(const ActingAs&) = delete;
};

// The working set GetProcessMemoryInfo reports for the real process: the resident size, or
// the figure set here until it is cleared.
HEADLESS_API void set_working_set_size(SIZE_T bytes);
HEADLESS_API void clear_working_set_size();
// Trims of the real process's working set (SetProcessWorkingSetSize with both limits all ones).
HEADLESS_API unsigned working_set_trims();
// The real resident size of the process, in bytes.
HEADLESS_API std::size_t resident_size();

// ---- Files and the clipboard

// The nth host rename from now on (1 = the next one), made by MoveFileExA or ReplaceFileA,
// fails with the errno value (EXDEV, EBUSY, ...) as if the host had refused it. One pending
// fault; a new call replaces it, n = 0 drops it.
HEADLESS_API void fail_nth_rename(unsigned n, int host_error);
// Opens CreateFileA refused with ERROR_SHARING_VIOLATION in this process so far.
HEADLESS_API std::size_t sharing_refusals();

// GetModuleFileNameA calls made so far, for any module.
HEADLESS_API std::size_t module_file_name_queries();
// Makes GetModuleFileNameA(NULL, ...) name the program as name (which need not exist); an
// empty name makes the query fail with ERROR_MOD_NOT_FOUND; null restores the real name.
HEADLESS_API void set_program_file_name(const char* name);

// ---- Built-in modules

// Removes an entry point from a built-in module ("user32.dll", ...) to play an older
// platform that lacks it; restore_entry_point puts it back. False if it was not there.
HEADLESS_API bool remove_entry_point(const char* module, const char* name);
HEADLESS_API bool restore_entry_point(const char* module, const char* name);

}  // namespace veneer::headless::testing
