#include <cstring>
#include <map>
#include <new>
#include <vector>

#include "kernel/object_table.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;

namespace {

struct GlobalBlock : Object {
  static constexpr ObjectKind object_kind = ObjectKind::GlobalMemory;
  GlobalBlock() : Object(object_kind) {}
  std::vector<unsigned char> bytes;
  bool fixed = false;
  unsigned locks = 0;
};

// A fixed block is reached by its data pointer, as on Win32, where the handle of a
// GMEM_FIXED block is its address.
std::map<const void*, HGLOBAL>& fixed_blocks() {
  static auto* m = new std::map<const void*, HGLOBAL>;
  return *m;
}

HGLOBAL table_handle(HGLOBAL memory) {
  auto it = fixed_blocks().find(memory);
  return it == fixed_blocks().end() ? memory : it->second;
}

GlobalBlock* block(HGLOBAL memory) { return find<GlobalBlock>(table_handle(memory)); }

}  // namespace

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  std::lock_guard lock(platform_lock());
  if (!creation_allowed(ObjectKind::GlobalMemory)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto b = std::make_unique<GlobalBlock>();
  try {
    b->bytes.assign(bytes == 0 ? 1 : bytes, 0);  // zeroed whether or not GMEM_ZEROINIT asks
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  b->bytes.resize(bytes);
  b->fixed = (flags & GMEM_MOVEABLE) == 0;
  void* data = b->bytes.data();
  bool fixed = b->fixed && bytes != 0;
  HGLOBAL handle = insert_object(std::move(b));
  if (!handle) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (fixed) {
    fixed_blocks()[data] = handle;
    return data;
  }
  return handle;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
  std::lock_guard lock(platform_lock());
  HGLOBAL handle = table_handle(memory);
  if (!find<GlobalBlock>(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return memory;
  }
  fixed_blocks().erase(memory);
  erase_object(handle, ObjectKind::GlobalMemory);
  return nullptr;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
  std::lock_guard lock(platform_lock());
  GlobalBlock* b = block(memory);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (b->bytes.empty()) return nullptr;  // a zero-byte block has no memory to lock
  if (!b->fixed) ++b->locks;
  return b->bytes.data();
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
  std::lock_guard lock(platform_lock());
  GlobalBlock* b = block(memory);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (b->fixed) return TRUE;  // fixed blocks keep no lock count
  if (b->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  --b->locks;
  if (b->locks == 0) SetLastError(ERROR_SUCCESS);
  return b->locks != 0;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory) {
  std::lock_guard lock(platform_lock());
  GlobalBlock* b = block(memory);
  return b ? b->bytes.size() : 0;
}

}  // extern "C"
