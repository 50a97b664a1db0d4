// A fuzz target's own checks: a failed one names itself before the crash, so that a finding
// is read at once.
#pragma once

#include <cstdio>
#include <cstdlib>

#define require(condition) veneer::fuzz::check((condition), #condition, __LINE__)

namespace veneer::fuzz {

inline void check(bool ok, const char* what, int line) {
  if (ok) return;
  std::fprintf(stderr, "check failed at line %d: %s\n", line, what);
  std::abort();
}

}  // namespace veneer::fuzz
