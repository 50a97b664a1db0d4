// The handle table of the headless platform: every kernel, GDI and window object lives here,
// reached through an opaque handle that encodes a slot and a generation, so that stale
// handles (of deleted objects) and made-up handles are rejected instead of reused.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include <veneer/headless/testing.h>
#include <veneer/headless/types.h>

namespace veneer::headless {

using testing::ObjectKind;

struct Object {
  explicit Object(ObjectKind k) : kind(k) {}
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  const ObjectKind kind;
  bool permanent = false;  // stock objects: never counted, never deleted
  DWORD owner = 0;         // the process that created a GDI object (its quota is charged)
};

// Win32's default per-process limit of GDI objects (GDIProcessHandleQuota): device contexts
// count, stock objects do not. The creation that would exceed it fails.
constexpr std::size_t gdi_quota_per_process = 10000;

// The lock of the platform's state, which a thread that holds it may take again (calls that
// call each other). Only the thread that holds the mutex ever finds its own id in `owner_`, so
// a thread that does takes the lock again by counting alone; any other thread waits on the
// mutex. `depth_` is touched only by the holder.
class PlatformLock {
 public:
  void lock() {
    if (taken_again()) return;
    mutex_.lock();
    own();
  }
  bool try_lock() {
    if (taken_again()) return true;
    if (!mutex_.try_lock()) return false;
    own();
    return true;
  }
  void unlock() {
    if (--depth_ != 0) return;
    owner_.store(std::thread::id(), std::memory_order_relaxed);
    mutex_.unlock();
  }

 private:
  // Counts one more taking when the calling thread holds the lock already.
  bool taken_again() {
    if (owner_.load(std::memory_order_relaxed) != std::this_thread::get_id()) return false;
    ++depth_;
    return true;
  }
  // Marks the calling thread, which has just locked the mutex, as the holder.
  void own() {
    owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    depth_ = 1;
  }

  std::mutex mutex_;
  std::atomic<std::thread::id> owner_{};
  unsigned depth_ = 0;
};

// One lock guards the whole platform state; calls are short, and the pixel work of blits is
// done outside it.
PlatformLock& platform_lock();

// Asks the fault hook, and for GDI kinds the calling process's quota, whether the next
// creation of the kind may go ahead, and counts it.
bool creation_allowed(ObjectKind kind);

// Asks the fault hook whether this call of a faultable function (a name listed with
// fail_nth_call, given as a literal) may go ahead, and counts it.
bool call_allowed(const char* function);
// The same for a caller that holds platform_lock() already (a call checks and does its work
// under one taking of the lock).
bool call_allowed_held(const char* function);

// Adds an object and returns its handle; null when the table is full.
void* insert_object(std::unique_ptr<Object> object);
// The object behind a handle if it is live and of the kind, else null.
Object* find_object(const void* handle, ObjectKind kind);
Object* find_any_object(const void* handle);
// A GDI or window handle as it was issued, without whatever a 64-bit caller put in its upper
// half (which Win64 ignores); any other value unchanged. For code that keeps or compares
// handles.
void* canonical_handle(const void* handle);
// Removes and destroys the object; false for stale, foreign or permanent handles.
bool erase_object(const void* handle, ObjectKind kind);

template <typename T>
T* find(const void* handle) {
  return static_cast<T*>(find_object(handle, T::object_kind));
}

// The same lookups for a caller that holds platform_lock() already (a call that looks up
// several handles, or the same one more than once, takes the lock once).
Object* find_any_object_held(const void* handle);
void* canonical_handle_held(const void* handle);
// Both at once: the object behind `handle` (or null), and `handle` made canonical when there
// is one.
Object* find_canonical_held(void*& handle);

template <typename T>
T* find_held(const void* handle) {
  Object* o = find_any_object_held(handle);
  return o && o->kind == T::object_kind ? static_cast<T*>(o) : nullptr;
}

template <typename T, typename Handle, typename... Args>
Handle create(Args&&... args) {
  if (!creation_allowed(T::object_kind)) return nullptr;
  return static_cast<Handle>(insert_object(std::make_unique<T>(std::forward<Args>(args)...)));
}

}  // namespace veneer::headless
