#include "tests/support/allocation_fault.h"

#include <atomic>
#include <new>

namespace veneer::test {
namespace {

constexpr std::size_t none = 0;
std::atomic<std::size_t> failing_size{none};

}  // namespace

void fail_array_allocation_of(std::size_t size) { failing_size = size; }
bool array_allocation_fault_pending() { return failing_size != none; }

}  // namespace veneer::test

#ifndef _WIN32
// The replacement keeps the default's pairing: arrays come from operator new and go back to
// operator delete, so every allocator the process uses (a sanitizer's included) sees pairs.
void* operator new[](std::size_t size) {
  std::size_t expected = size;
  if (size != 0 && veneer::test::failing_size.compare_exchange_strong(expected, 0)) throw std::bad_alloc();
  return ::operator new(size);
}
void operator delete[](void* p) noexcept { ::operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { ::operator delete(p); }
#endif
