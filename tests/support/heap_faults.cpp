#ifndef _WIN32
#include "tests/support/heap_faults.h"

#include <cstdlib>
#include <new>

namespace veneer::test::heap {
namespace {

bool armed = false;
bool counting = false;
std::size_t made = 0;
std::size_t fail_at = 0;

void* allocate(std::size_t size) {
  if (counting && ++made == fail_at) return nullptr;
  return std::malloc(size ? size : 1);
}

}  // namespace

void arm(unsigned n) {
  made = 0;
  fail_at = n;
  armed = true;
}

std::size_t disarm() {
  armed = counting = false;
  fail_at = 0;
  return made;
}

Counted::Counted() { counting = armed; }
Counted::~Counted() { counting = false; }

}  // namespace veneer::test::heap

// Every plain form is replaced together, so that each allocation and its release meet the
// same allocator (AddressSanitizer checks that they do); the aligned forms stay the runtime's.
void* operator new(std::size_t size) {
  if (void* p = veneer::test::heap::allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return veneer::test::heap::allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return veneer::test::heap::allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#endif
