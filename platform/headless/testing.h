// Observability of the headless platform, for tests only: live objects by kind and a fault
// hook that makes the Nth creation of a kind fail. Library code never includes this header.
#pragma once

#include <cstddef>

#include "platform/headless/types.h"

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


// ---- Desktop: windows, foreground, z-order, flashing, caption animation, work area


// ---- Processes, remote memory and the working set


// ---- Files and the clipboard

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
