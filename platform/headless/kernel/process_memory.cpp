// The memory of processes: regions reserved and committed with VirtualAllocEx, their page
// protection, and copies across the process boundary that stop at the first page that cannot
// be reached, as Win32's ReadProcessMemory does (Wine copies through protected pages).
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#include "kernel/object_table.h"
#include "kernel/process_state.h"
#include <veneer/headless/kernel_base.h>

namespace veneer::headless {
namespace {

// Counts a live allocation for the leak checks; the region itself lives in the table below.
struct RemoteAllocationObject : Object {
  static constexpr ObjectKind object_kind = ObjectKind::RemoteAllocation;
  RemoteAllocationObject() : Object(object_kind) {}
};

struct Region {
  std::uintptr_t base = 0;
  std::size_t size = 0;
  DWORD owner = 0;
  std::vector<DWORD> protect;  // per page; 0 = reserved, not committed
  void* counter = nullptr;
};

std::map<std::uintptr_t, Region>& regions() {
  static auto* r = new std::map<std::uintptr_t, Region>;
  return *r;
}

std::uintptr_t page_size() {
  static const std::uintptr_t size = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  return size;
}

std::uintptr_t page_floor(std::uintptr_t a) { return a & ~(page_size() - 1); }

Region* region_at(std::uintptr_t a) {
  auto& map = regions();
  auto it = map.upper_bound(a);
  if (it == map.begin()) return nullptr;
  --it;
  return a < it->second.base + it->second.size ? &it->second : nullptr;
}

bool valid_protect(DWORD p) {
  switch (p) {
    case PAGE_NOACCESS:
    case PAGE_READONLY:
    case PAGE_READWRITE:
    case PAGE_EXECUTE:
    case PAGE_EXECUTE_READ:
    case PAGE_EXECUTE_READWRITE:
      return true;
    default:
      return false;
  }
}

bool readable(DWORD p) {
  return p == PAGE_READONLY || p == PAGE_READWRITE || p == PAGE_EXECUTE_READ || p == PAGE_EXECUTE_READWRITE;
}
bool writable(DWORD p) { return p == PAGE_READWRITE || p == PAGE_EXECUTE_READWRITE; }

int host_protection(DWORD p) {
  if (writable(p)) return PROT_READ | PROT_WRITE;
  if (readable(p)) return PROT_READ;
  return PROT_NONE;
}

// Memory of the real process outside every region: the kernel tells whether it can be read or
// written, without a fault.
bool host_copy(void* to, const void* from, std::size_t n, bool write) {
  iovec local{write ? const_cast<void*>(from) : to, n};
  iovec remote{write ? to : const_cast<void*>(from), n};
  ssize_t done = write ? process_vm_writev(getpid(), &local, 1, &remote, 1, 0)
                       : process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
  return done == static_cast<ssize_t>(n);
}

SIZE_T copy_pages(DWORD process_id, std::uintptr_t address, unsigned char* local, SIZE_T size, bool write) {
  std::lock_guard lock(platform_lock());
  const bool real = is_real_process(process_id);
  SIZE_T copied = 0;
  std::uintptr_t a = address;
  while (copied < size) {
    if (a == 0 && copied != 0) break;  // wrapped around the address space
    std::uintptr_t page_end = page_floor(a) + page_size();
    SIZE_T chunk = std::min<SIZE_T>(size - copied, page_end == 0 ? size - copied : page_end - a);
    void* remote = reinterpret_cast<void*>(a);
    if (Region* r = region_at(a)) {
      if (r->owner != process_id) break;
      DWORD p = r->protect[(a - r->base) / page_size()];
      if (write ? !writable(p) : !readable(p)) break;
      if (write)
        std::memcpy(remote, local + copied, chunk);
      else
        std::memcpy(local + copied, remote, chunk);
    } else {
      // A simulated process owns nothing but its regions.
      if (!real || !host_copy(write ? remote : local + copied, write ? local + copied : remote, chunk, write)) break;
    }
    copied += chunk;
    a += chunk;
  }
  return copied;
}

// What a 32-bit caller can name of a block at address: the part below 4 GiB (none when the
// block starts there); everyone else names all of it.
SIZE_T reachable_size(std::uintptr_t address, SIZE_T size) {
  if (!is_32_bit_process(current_process_id())) return size;
  constexpr unsigned long long limit = 1ULL << 32;
  if (address >= limit) return 0;
  return static_cast<SIZE_T>(std::min<unsigned long long>(size, limit - address));
}

}  // namespace

SIZE_T copy_from_process(DWORD process_id, const void* address, void* buffer, SIZE_T size) {
  return copy_pages(process_id, reinterpret_cast<std::uintptr_t>(address), static_cast<unsigned char*>(buffer), size,
                    false);
}

SIZE_T copy_to_process(DWORD process_id, void* address, const void* buffer, SIZE_T size) {
  return copy_pages(process_id, reinterpret_cast<std::uintptr_t>(address),
                    const_cast<unsigned char*>(static_cast<const unsigned char*>(buffer)), size, true);
}

void release_process_memory(DWORD process_id) {
  std::lock_guard lock(platform_lock());
  auto& map = regions();
  for (auto it = map.begin(); it != map.end();) {
    if (it->second.owner == process_id) {
      munmap(reinterpret_cast<void*>(it->second.base), it->second.size);
      erase_object(it->second.counter, ObjectKind::RemoteAllocation);
      it = map.erase(it);
    } else {
      ++it;
    }
  }
}

std::size_t committed_bytes(DWORD process_id) {
  std::lock_guard lock(platform_lock());
  std::size_t total = 0;
  for (auto& [base, r] : regions())
    if (r.owner == process_id)
      for (DWORD p : r.protect)
        if (p != 0) total += page_size();
  return total;
}

}  // namespace veneer::headless

using namespace veneer::headless;

namespace {

// The process behind a handle, failing the call with ERROR_INVALID_HANDLE when there is none.
DWORD live_process(HANDLE process) {
  DWORD pid = process_of_handle(process);
  if (pid == 0 || !process_exists(pid)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return pid;
}

}  // namespace

extern "C" {

LPVOID WINAPI VirtualAllocEx(HANDLE process, LPVOID address, SIZE_T size, DWORD allocation_type, DWORD protect) {
  DWORD pid = live_process(process);
  if (!pid) return nullptr;
  const DWORD kinds = MEM_COMMIT | MEM_RESERVE;
  if (size == 0 || !valid_protect(protect) || (allocation_type & kinds) == 0 || (allocation_type & ~kinds) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool commit = (allocation_type & MEM_COMMIT) != 0;
  std::lock_guard lock(platform_lock());
  if (address) {
    // Committing pages of a reservation made earlier.
    auto a = reinterpret_cast<std::uintptr_t>(address);
    Region* r = region_at(a);
    if (!r || r->owner != pid || a + size < a || a + size > r->base + r->size || !commit) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return nullptr;
    }
    std::uintptr_t first = page_floor(a), last = page_floor(a + size - 1);
    for (std::uintptr_t p = first; p <= last; p += page_size()) r->protect[(p - r->base) / page_size()] = protect;
    mprotect(reinterpret_cast<void*>(first), last - first + page_size(), host_protection(protect));
    return reinterpret_cast<LPVOID>(first);
  }
  if (size > SIZE_MAX - page_size()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::size_t bytes = page_floor(size + page_size() - 1);
  void* counter = create<RemoteAllocationObject, void*>();
  if (!counter) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // A 32-bit caller gets an address its pointers can hold, in whichever process it allocates.
  const bool low = is_32_bit_process(current_process_id());
  int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE;
#ifdef MAP_32BIT
  if (low) flags |= MAP_32BIT;
#endif
  void* base = mmap(nullptr, bytes, commit ? host_protection(protect) : PROT_NONE, flags, -1, 0);
  if (base != MAP_FAILED && low && reinterpret_cast<std::uintptr_t>(base) + bytes > (1ULL << 32)) {
    munmap(base, bytes);
    base = MAP_FAILED;
  }
  if (base == MAP_FAILED) {
    erase_object(counter, ObjectKind::RemoteAllocation);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Region r;
  r.base = reinterpret_cast<std::uintptr_t>(base);
  r.size = bytes;
  r.owner = pid;
  r.protect.assign(bytes / page_size(), commit ? protect : 0);
  r.counter = counter;
  regions()[r.base] = std::move(r);
  return base;
}

BOOL WINAPI VirtualFreeEx(HANDLE process, LPVOID address, SIZE_T size, DWORD free_type) {
  DWORD pid = live_process(process);
  if (!pid) return FALSE;
  std::lock_guard lock(platform_lock());
  auto a = reinterpret_cast<std::uintptr_t>(address);
  Region* r = address ? region_at(a) : nullptr;
  if (!r || r->owner != pid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (free_type == MEM_RELEASE) {
    // The whole allocation goes, named by its base and a size of 0.
    if (size != 0 || a != r->base) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    munmap(address, r->size);
    erase_object(r->counter, ObjectKind::RemoteAllocation);
    regions().erase(a);
    return TRUE;
  }
  if (free_type == MEM_DECOMMIT) {
    std::uintptr_t end = size == 0 ? r->base + r->size : a + size;
    if (end < a || end > r->base + r->size) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::uintptr_t first = page_floor(a), last = page_floor(end - 1);
    for (std::uintptr_t p = first; p <= last; p += page_size()) r->protect[(p - r->base) / page_size()] = 0;
    void* start = reinterpret_cast<void*>(first);
    madvise(start, last - first + page_size(), MADV_DONTNEED);
    mprotect(start, last - first + page_size(), PROT_NONE);
    return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

BOOL WINAPI VirtualProtectEx(HANDLE process, LPVOID address, SIZE_T size, DWORD new_protect, PDWORD old_protect) {
  DWORD pid = live_process(process);
  if (!pid) return FALSE;
  if (!old_protect) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (!valid_protect(new_protect) || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(platform_lock());
  auto a = reinterpret_cast<std::uintptr_t>(address);
  Region* r = region_at(a);
  if (!r || r->owner != pid || a + size < a || a + size > r->base + r->size) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  std::uintptr_t first = page_floor(a), last = page_floor(a + size - 1);
  for (std::uintptr_t p = first; p <= last; p += page_size()) {
    if (r->protect[(p - r->base) / page_size()] == 0) {  // reserved pages have no protection to change
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
  }
  *old_protect = r->protect[(first - r->base) / page_size()];
  for (std::uintptr_t p = first; p <= last; p += page_size()) r->protect[(p - r->base) / page_size()] = new_protect;
  mprotect(reinterpret_cast<void*>(first), last - first + page_size(), host_protection(new_protect));
  return TRUE;
}

LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocation_type, DWORD protect) {
  return VirtualAllocEx(GetCurrentProcess(), address, size, allocation_type, protect);
}

BOOL WINAPI VirtualFree(LPVOID address, SIZE_T size, DWORD free_type) {
  return VirtualFreeEx(GetCurrentProcess(), address, size, free_type);
}

BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T size, DWORD new_protect, PDWORD old_protect) {
  return VirtualProtectEx(GetCurrentProcess(), address, size, new_protect, old_protect);
}

BOOL WINAPI ReadProcessMemory(HANDLE process, LPCVOID address, LPVOID buffer, SIZE_T size, SIZE_T* bytes_read) {
  if (bytes_read) *bytes_read = 0;
  if (!call_allowed("ReadProcessMemory")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD pid = live_process(process);
  if (!pid) return FALSE;
  SIZE_T reach = reachable_size(reinterpret_cast<std::uintptr_t>(address), size);
  SIZE_T copied = reach ? copy_from_process(pid, address, buffer, reach) : 0;
  if (bytes_read) *bytes_read = copied;
  if (copied < size) {
    SetLastError(ERROR_PARTIAL_COPY);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI WriteProcessMemory(HANDLE process, LPVOID address, LPCVOID buffer, SIZE_T size, SIZE_T* bytes_written) {
  if (bytes_written) *bytes_written = 0;
  DWORD pid = live_process(process);
  if (!pid) return FALSE;
  SIZE_T reach = reachable_size(reinterpret_cast<std::uintptr_t>(address), size);
  SIZE_T copied = reach ? copy_to_process(pid, address, buffer, reach) : 0;
  if (bytes_written) *bytes_written = copied;
  if (copied < size) {
    SetLastError(ERROR_PARTIAL_COPY);
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"
