// Process handles and the process-status counters: OpenProcess, the working set as the real
// resident size, and the trim that gives freed heap memory back to the system.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "kernel/object_table.h"
#include "kernel/process_state.h"
#include <veneer/headless/kernel_base.h>
#include <veneer/headless/testing.h>

namespace veneer::headless {

std::size_t committed_bytes(DWORD process_id);  // process_memory.cpp

namespace {

struct ProcessObject : Object {
  static constexpr ObjectKind object_kind = ObjectKind::ProcessHandle;
  ProcessObject(DWORD pid, DWORD rights) : Object(object_kind), process_id(pid), access(rights) {}
  DWORD process_id;
  DWORD access;
};

struct WorkingSet {
  std::optional<SIZE_T> override_size;
  unsigned trims = 0;
};

WorkingSet& working_set() {
  static auto* w = new WorkingSet;
  return *w;
}

// Resident and peak resident sizes of the real process, as the kernel counts them.
SIZE_T statm_field(int index) {
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  unsigned long v[7] = {};
  int n = std::fscanf(f, "%lu %lu %lu %lu %lu %lu %lu", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]);
  std::fclose(f);
  return n > index ? static_cast<SIZE_T>(v[index]) * static_cast<SIZE_T>(sysconf(_SC_PAGESIZE)) : 0;
}

SIZE_T peak_resident() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  SIZE_T kb = 0;
  while (std::fgets(line, sizeof line, f)) {
    unsigned long v = 0;
    if (std::sscanf(line, "VmHWM: %lu kB", &v) == 1) kb = v;
  }
  std::fclose(f);
  return kb * 1024;
}

}  // namespace

DWORD process_of_handle(HANDLE process) {
  if (process == INVALID_HANDLE_VALUE) return current_process_id();
  auto* o = find<ProcessObject>(process);
  return o ? o->process_id : 0;
}

namespace testing {

void set_working_set_size(SIZE_T bytes) {
  std::lock_guard lock(platform_lock());
  working_set().override_size = bytes;
}

void clear_working_set_size() {
  std::lock_guard lock(platform_lock());
  working_set().override_size.reset();
}

unsigned working_set_trims() {
  std::lock_guard lock(platform_lock());
  return working_set().trims;
}

std::size_t resident_size() { return statm_field(1); }

}  // namespace testing
}  // namespace veneer::headless

using namespace veneer::headless;

extern "C" {

HANDLE WINAPI OpenProcess(DWORD access, BOOL, DWORD process_id) {
  if (process_id == 0 || !process_exists(process_id)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HANDLE h = create<ProcessObject, HANDLE>(process_id, access);
  if (!h) SetLastError(ERROR_ACCESS_DENIED);
  return h;
}

BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64) {
  DWORD pid = process_of_handle(process);
  if (!pid || !process_exists(pid)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!wow64) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  *wow64 = is_32_bit_process(pid) ? TRUE : FALSE;  // the host's width unless a test says otherwise
  return TRUE;
}

BOOL WINAPI GetProcessMemoryInfo(HANDLE process, PPROCESS_MEMORY_COUNTERS counters, DWORD size) {
  if (!call_allowed("GetProcessMemoryInfo")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD pid = process_of_handle(process);
  if (!pid || !process_exists(pid)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!counters) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (size < sizeof(PROCESS_MEMORY_COUNTERS)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  PROCESS_MEMORY_COUNTERS c;
  std::memset(&c, 0, sizeof c);
  c.cb = sizeof c;
  if (is_real_process(pid)) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    c.PageFaultCount = static_cast<DWORD>(usage.ru_minflt + usage.ru_majflt);
    std::optional<SIZE_T> forced;
    {
      std::lock_guard lock(platform_lock());
      forced = working_set().override_size;
    }
    c.WorkingSetSize = forced ? *forced : statm_field(1);
    c.PeakWorkingSetSize = std::max(c.WorkingSetSize, peak_resident());
    c.PagefileUsage = statm_field(5);
    c.PeakPagefileUsage = c.PagefileUsage;
  } else {
    c.WorkingSetSize = c.PeakWorkingSetSize = c.PagefileUsage = c.PeakPagefileUsage = committed_bytes(pid);
  }
  std::memcpy(counters, &c, sizeof c);
  return TRUE;
}

BOOL WINAPI SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum) {
  DWORD pid = process_of_handle(process);
  if (!pid || !process_exists(pid)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const SIZE_T all = static_cast<SIZE_T>(-1);
  if (minimum == all && maximum == all) {
    if (is_real_process(pid)) {
      // The pages the heap keeps for reuse after frees are the ones a working-set trim
      // would take: give them back.
      malloc_trim(0);
      std::lock_guard lock(platform_lock());
      ++working_set().trims;
    }
    return TRUE;
  }
  if (minimum > maximum) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;  // limits are accepted; the headless platform does not page out
}

}  // extern "C"
