#include "kernel/object_table.h"

#include <array>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "kernel/process_state.h"

namespace veneer::headless {
namespace {

// A handle's bits, low to high:
//   bits 0-1    zero, so a handle looks like an aligned pointer and never like a small integer
//   bits 2-21   slot + 1 (1 to 2^20 - 1; 0 is never a valid slot, so no handle is null)
//   bits 22-31  the slot's generation, modulo 2^10
// and nothing above bit 31, so that every handle fits in 32 bits as Win32's handles do. Each
// reuse of a slot bumps its generation: a stale handle names a live object again only after
// 1024 reuses of the same slot.
constexpr unsigned tag_bits = 2;
constexpr unsigned slot_bits = 20;
constexpr unsigned generation_bits = 10;
constexpr std::uintptr_t max_slots = (std::uintptr_t{1} << slot_bits) - 1;
constexpr std::uintptr_t generation_mask = (std::uintptr_t{1} << generation_bits) - 1;
static_assert(tag_bits + slot_bits + generation_bits == 32, "a handle fills exactly 32 bits");
constexpr int kind_count = static_cast<int>(ObjectKind::Count);

constexpr const char* faultable_functions[] = {"BitBlt",
                                               "StretchBlt",
                                               "SelectObject",
                                               "GetBitmapBits",
                                               "GetDIBits",
                                               "ReadProcessMemory",
                                               "WriteFile",
                                               "MoveFileExA",
                                               "OpenClipboard",
                                               "EmptyClipboard",
                                               "SetClipboardData",
                                               "GetClipboardData",
                                               "GetWindowRect",
                                               "SetWindowPos",
                                               "SetForegroundWindow",
                                               "FlashWindowEx",
                                               "DrawAnimatedRects",
                                               "FindWindowExA",
                                               "GetModuleFileNameA",
                                               "GetProcessMemoryInfo",
                                               "GradientFill"};

struct Slot {
  std::uintptr_t generation = 1;
  std::unique_ptr<Object> object;
};

struct Table {
  std::vector<Slot> slots;
  std::vector<std::uintptr_t> free_slots;
  std::array<std::size_t, kind_count> live{};
  std::array<std::size_t, kind_count> created{};
  std::array<unsigned, kind_count> fail_at{};  // 0: no fault pending
  // GDI objects held per process. Creations and deletions come in runs from one process, so
  // the last process looked up is kept with the address of its count (a node of the map, which
  // stays where it is until its entry is erased).
  std::unordered_map<DWORD, std::size_t> gdi_per_process;
  DWORD last_process = 0;
  std::size_t* last_process_count = nullptr;
  // Faultable calls made, and pending faults, by function: the listed functions counted by
  // their place in the list (every blit and selection asks), any other name by name.
  std::array<std::size_t, std::size(faultable_functions)> listed_calls{};
  std::map<std::string, std::size_t, std::less<>> calls;
  std::map<std::string, unsigned, std::less<>> call_fail_at;
};

// The place of a function in faultable_functions, or -1. The platform names the functions with
// literals, which the linker keeps once, so their address usually answers before any text is
// compared.
int faultable_index(const char* function) {
  const int count = static_cast<int>(std::size(faultable_functions));
  for (int i = 0; i < count; ++i)
    if (faultable_functions[i] == function) return i;
  for (int i = 0; i < count; ++i)
    if (std::strcmp(faultable_functions[i], function) == 0) return i;
  return -1;
}

// The slots as a lookup reads them: where the table's slots lie and how many there are. Only
// insert_object adds slots (they never go), and it refreshes this view under the lock that
// every lookup holds; being plain data set to zero before any code runs, the view needs no
// guard, and a lookup reaches a slot in two loads.
struct SlotView {
  Slot* first = nullptr;
  std::size_t count = 0;
};
constinit SlotView slot_view;

Table& table() {
  static Table* t = new Table;  // never destroyed: objects may be released during exit
  return *t;
}

// The count of GDI objects of a process. When it holds none: null, or with `make` a new count
// of 0.
std::size_t* gdi_count_of(Table& t, DWORD process, bool make = false) {
  if (t.last_process_count && t.last_process == process) return t.last_process_count;
  std::size_t* count = nullptr;
  if (make) {
    count = &t.gdi_per_process[process];
  } else {
    auto it = t.gdi_per_process.find(process);
    if (it == t.gdi_per_process.end()) return nullptr;
    count = &it->second;
  }
  t.last_process = process;
  t.last_process_count = count;
  return count;
}

void add_gdi_object(Table& t, DWORD process) { ++*gdi_count_of(t, process, true); }

void remove_gdi_object(Table& t, DWORD process) {
  std::size_t* count = gdi_count_of(t, process);
  if (!count || --*count != 0) return;
  if (t.last_process_count == count) t.last_process_count = nullptr;
  t.gdi_per_process.erase(process);
}

void* encode(std::uintptr_t slot, std::uintptr_t generation) {
  return reinterpret_cast<void*>((((generation & generation_mask) << slot_bits) | (slot + 1)) << tag_bits);
}

bool is_gdi_kind(ObjectKind kind);

// GDI and window handles are 32-bit values on every Win32, and Win64 reads only the low half of
// one (code that kept a handle in a 32-bit integer and widened it with junk or a sign still
// works). Kernel handles get no such reading: junk in their upper half makes them invalid.
bool reads_low_half_only(ObjectKind kind) { return is_gdi_kind(kind) || kind == ObjectKind::Window; }

// A live handle as it was issued: its low 32 bits (decode has checked the rest).
void* as_issued(const void* handle) {
  return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(handle) & 0xffffffffu);
}

// Inlined into every lookup: it is the platform's most frequent call.
[[gnu::always_inline]] inline Slot* decode(const void* handle) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  std::uintptr_t upper = 0;
  if constexpr (sizeof(std::uintptr_t) > 4) {
    upper = value >> 16 >> 16;
    value &= 0xffffffffu;
  }
  if (value == 0 || (value & ((std::uintptr_t{1} << tag_bits) - 1)) != 0) return nullptr;
  value >>= tag_bits;
  std::uintptr_t slot = value & max_slots;
  std::uintptr_t generation = value >> slot_bits;
  if (slot == 0 || generation > generation_mask) return nullptr;
  if (slot > slot_view.count) return nullptr;
  Slot& s = slot_view.first[slot - 1];
  if (!s.object || (s.generation & generation_mask) != generation) return nullptr;
  if (upper != 0 && !reads_low_half_only(s.object->kind)) return nullptr;
  return &s;
}

bool is_gdi_kind(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::Bitmap:
    case ObjectKind::Brush:
    case ObjectKind::Pen:
    case ObjectKind::Font:
    case ObjectKind::Region:
    case ObjectKind::DeviceContext:
      return true;
    default:
      return false;
  }
}

}  // namespace

PlatformLock& platform_lock() {
  static PlatformLock* m = new PlatformLock;
  return *m;
}

bool creation_allowed(ObjectKind kind) {
  std::lock_guard lock(platform_lock());
  auto& t = table();
  int k = static_cast<int>(kind);
  ++t.created[k];
  if (t.fail_at[k] != 0 && --t.fail_at[k] == 0) return false;
  if (is_gdi_kind(kind)) {
    const std::size_t* held = gdi_count_of(t, current_process_id());
    if (held && *held >= gdi_quota_per_process) return false;
  }
  return true;
}

bool call_allowed(const char* function) {
  std::lock_guard lock(platform_lock());
  return call_allowed_held(function);
}

bool call_allowed_held(const char* function) {
  auto& t = table();
  if (const int listed = faultable_index(function); listed >= 0) {
    ++t.listed_calls[static_cast<std::size_t>(listed)];
  } else {
    const std::string_view name(function);
    auto counted = t.calls.find(name);
    if (counted == t.calls.end()) counted = t.calls.emplace(std::string(name), 0).first;
    ++counted->second;
  }
  // The name is measured only when a fault is pending: the common call needs no text of it.
  if (t.call_fail_at.empty()) return true;
  auto it = t.call_fail_at.find(std::string_view(function));
  if (it == t.call_fail_at.end() || --it->second != 0) return true;
  t.call_fail_at.erase(it);
  return false;
}

void* insert_object(std::unique_ptr<Object> object) {
  std::lock_guard lock(platform_lock());
  auto& t = table();
  std::uintptr_t index;
  if (!t.free_slots.empty()) {
    index = t.free_slots.back();
    t.free_slots.pop_back();
  } else {
    if (t.slots.size() >= max_slots) return nullptr;
    t.slots.emplace_back();
    index = t.slots.size() - 1;
    slot_view = SlotView{t.slots.data(), t.slots.size()};
  }
  Slot& s = t.slots[index];
  if (!object->permanent) {
    ++t.live[static_cast<int>(object->kind)];
    if (is_gdi_kind(object->kind)) {
      object->owner = current_process_id();
      add_gdi_object(t, object->owner);
    }
  }
  s.object = std::move(object);
  return encode(index, s.generation);
}

Object* find_any_object_held(const void* handle) {
  Slot* s = decode(handle);
  return s ? s->object.get() : nullptr;
}

void* canonical_handle_held(const void* handle) {
  if (!decode(handle)) return const_cast<void*>(handle);
  return as_issued(handle);
}

Object* find_canonical_held(void*& handle) {
  Slot* s = decode(handle);
  if (!s) return nullptr;
  handle = as_issued(handle);
  return s->object.get();
}

Object* find_any_object(const void* handle) {
  std::lock_guard lock(platform_lock());
  return find_any_object_held(handle);
}

void* canonical_handle(const void* handle) {
  std::lock_guard lock(platform_lock());
  return canonical_handle_held(handle);
}

Object* find_object(const void* handle, ObjectKind kind) {
  Object* o = find_any_object(handle);
  return o && o->kind == kind ? o : nullptr;
}

bool erase_object(const void* handle, ObjectKind kind) {
  std::unique_ptr<Object> doomed;
  {
    std::lock_guard lock(platform_lock());
    Slot* s = decode(handle);
    if (!s || s->object->kind != kind || s->object->permanent) return false;
    auto& t = table();
    --t.live[static_cast<int>(kind)];
    if (is_gdi_kind(kind)) remove_gdi_object(t, s->object->owner);
    doomed = std::move(s->object);
    ++s->generation;
    if ((s->generation & generation_mask) == 0) s->generation = 1;
    t.free_slots.push_back(static_cast<std::uintptr_t>(s - t.slots.data()));
  }
  return true;  // the object is destroyed outside the table's bookkeeping
}

namespace testing {

const char* kind_name(ObjectKind kind) {
  static const char* const names[] = {"bitmap",      "brush",          "pen",
                                      "font",        "region",         "device context",
                                      "window",      "process handle", "remote allocation",
                                      "file handle", "global memory",  "access token"};
  static_assert(std::size(names) == kind_count, "one name for each object kind, in the kinds' order");
  int k = static_cast<int>(kind);
  return k >= 0 && k < kind_count ? names[k] : "?";
}

std::size_t live_objects(ObjectKind kind) {
  std::lock_guard lock(platform_lock());
  return table().live[static_cast<int>(kind)];
}

std::size_t live_gdi_objects() {
  return live_objects(ObjectKind::Bitmap) + live_objects(ObjectKind::Brush) + live_objects(ObjectKind::Pen) +
         live_objects(ObjectKind::Font) + live_objects(ObjectKind::Region) + live_objects(ObjectKind::DeviceContext);
}

void fail_nth_creation(ObjectKind kind, unsigned n) {
  std::lock_guard lock(platform_lock());
  table().fail_at[static_cast<int>(kind)] = n;
}

void fail_nth_call(const char* function, unsigned n) {
  std::lock_guard lock(platform_lock());
  if (n == 0)
    table().call_fail_at.erase(function);
  else
    table().call_fail_at[function] = n;
}

std::vector<CallCount> faultable_calls() {
  std::lock_guard lock(platform_lock());
  std::vector<CallCount> out;
  for (std::size_t i = 0; i < std::size(faultable_functions); ++i)
    if (const std::size_t n = table().listed_calls[i]) out.push_back({faultable_functions[i], n});
  return out;
}

void clear_faults() {
  std::lock_guard lock(platform_lock());
  table().fail_at.fill(0);
  table().call_fail_at.clear();
}

std::size_t creations(ObjectKind kind) {
  std::lock_guard lock(platform_lock());
  return table().created[static_cast<int>(kind)];
}

void reset_creation_counts() {
  std::lock_guard lock(platform_lock());
  table().created.fill(0);
  table().listed_calls.fill(0);
  table().calls.clear();
}

std::size_t gdi_objects_of_process(DWORD process_id) {
  std::lock_guard lock(platform_lock());
  const std::size_t* held = gdi_count_of(table(), process_id);
  return held ? *held : 0;
}

LiveCounts live_counts() {
  std::lock_guard lock(platform_lock());
  LiveCounts c;
  for (int k = 0; k < kind_count; ++k) c.counts[k] = table().live[k];
  return c;
}

}  // namespace testing
}  // namespace veneer::headless
