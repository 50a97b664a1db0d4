// A fault hook for the heap, which no platform function stands in front of: this program's
// operator new fails its nth allocation from the moment it is armed, as an exhausted heap
// would, by throwing std::bad_alloc. The framework turns that into its memory exception.
// Headless builds only (the fault sweep runs there).
#pragma once

#include <cstddef>

namespace veneer::test::heap {

// Prepares to count the allocations made inside Counted scopes; the nth of them (1 = the
// first) fails; 0 fails none.
void arm(unsigned n);
// Stops counting and failing; returns the allocations counted since arm.
std::size_t disarm();

// Marks the code whose allocations count: the call under test, not the test's own work.
class Counted {
 public:
  Counted();
  ~Counted();
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;
};

}  // namespace veneer::test::heap
