// Observability of the headless platform, for tests only: live objects by kind and fault
// hooks that make the Nth creation of a kind, or the Nth call of a named function, fail.
// Library code never includes this header.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The nth call from now on (1 = the next one) of the named function fails as the platform
// reports that failure. The functions that can be failed: BitBlt, StretchBlt, SelectObject,
// GetBitmapBits, GetDIBits, ReadProcessMemory, WriteFile, MoveFileExA (the replace step of a
// save), OpenClipboard, EmptyClipboard, SetClipboardData, GetClipboardData, GetWindowRect,
// SetWindowPos (MoveWindow goes through it), SetForegroundWindow, FlashWindowEx,
// DrawAnimatedRects, FindWindowExA (FindWindowA too), GetModuleFileNameA,
// GetProcessMemoryInfo and GradientFill. Calls the platform makes of them itself count as well. One pending
// fault per function; a new call replaces it; clear_faults drops them.
HEADLESS_API void fail_nth_call(const char* function, unsigned n);
// Calls of each of those functions since the last reset_creation_counts, by name; functions
// not called are left out.
struct CallCount {
  const char* function;
  std::size_t calls;
};
HEADLESS_API std::vector<CallCount> faultable_calls();

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
// Bytes of pixel storage made for bitmaps since the program started (take differences).
HEADLESS_API std::uint64_t bitmap_bytes_made();
// The raster loops run on 32-byte vectors where the processor has them (AVX2) and on 16-byte
// vectors otherwise. A test may hold them to 16 bytes (false) to check both kinds on one
// machine, and give the choice back (true); the answer is whether 32-byte loops now run.
HEADLESS_API bool allow_wide_vectors(bool allowed);

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

// The clock of timers and message times, in milliseconds since the desktop was last reset.
// It stands still unless advanced here (or by a GetMessage that would wait for a timer), so
// timer tests repeat exactly.
HEADLESS_API void advance_clock(DWORD milliseconds);
HEADLESS_API DWORD clock_milliseconds();

// Whether AttachThreadInput joined the two threads' input (in either direction).
HEADLESS_API bool input_attached(DWORD first_thread, DWORD second_thread);

// Back to a fresh desktop: the shell stopped, every window of every process destroyed, empty
// message queues, no timers, the clock at 0, no foreground window, the whole screen as the work area, no joined input,
// no animation.
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

// Plays a 32-bit program on 64-bit Windows (under WOW64): IsWow64Process answers TRUE for the
// process, memory it allocates in any process lies below 4 GiB, and through ReadProcessMemory
// and WriteProcessMemory it reaches nothing at or above 4 GiB, which its pointers cannot name.
// Every other process stays 64-bit, the shell's included.
HEADLESS_API void set_32_bit_process(DWORD process_id, bool is_32_bit);

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

// ---- Code page

// Sets the system's ANSI code page that GetACP reports and IsDBCSLeadByte follows: 1252 (the
// default) or 932 (Japanese Shift-JIS, whose lead bytes are 0x81-0x9F and 0xE0-0xFC). False
// for any other. Text conversions keep to 1252 whatever is set.
HEADLESS_API bool set_ansi_code_page(UINT code_page);

// ---- Built-in modules

// Removes an entry point from a built-in module ("user32.dll", ...) to play an older
// platform that lacks it; restore_entry_point puts it back. False if it was not there.
HEADLESS_API bool remove_entry_point(const char* module, const char* name);
HEADLESS_API bool restore_entry_point(const char* module, const char* name);
// Puts a test's own function in an entry point's place (to play a platform that answers
// otherwise); restore_entry_point puts the platform's back. False if it was not there.
HEADLESS_API bool replace_entry_point(const char* module, const char* name, FARPROC replacement);
// References LoadLibraryA holds on a built-in module that FreeLibrary has not given back.
HEADLESS_API unsigned module_references(HMODULE module);

}  // namespace veneer::headless::testing
