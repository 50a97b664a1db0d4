// Makes one array allocation fail as the heap does when memory runs out (std::bad_alloc), for
// checks of what code does without its buffer. The program's operator new[] is replaced for
// that; it reaches the library where the library takes its allocations from the program's
// runtime (the headless build's shared libraries), not inside a Windows DLL that carries its own.
#pragma once

#include <cstddef>

namespace veneer::test {

// The next operator new[] of exactly `size` bytes fails; later ones succeed.
void fail_array_allocation_of(std::size_t size);
// Whether the failure set up above is still waiting for its allocation.
bool array_allocation_fault_pending();

}  // namespace veneer::test
