// Checks that a block of test code leaves no platform object behind. On the headless
// platform every kind is counted by the platform; on Windows the objects made and released
// through the library, the framework and the test program are counted by hooks on the calls
// they import (live_objects_win32.h), and a hook that could not be installed is reported as a
// change, so that the check fails rather than compares nothing.
#pragma once

#include <string>

#include <veneer/framework/win32_api.h>
#ifdef _WIN32
#include "tests/support/live_objects_win32.h"
#else
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {

class LeakGuard {
 public:
  LeakGuard();
  // A description of what changed since construction; empty when nothing did.
  std::string changes() const;

 private:
#ifdef _WIN32
  live::Counts counts_;
#else
  veneer::headless::testing::LiveCounts counts_;
#endif
};

// The guard as a GoogleTest assertion: EXPECT_NO_LEAKS(guard).
#define EXPECT_NO_LEAKS(guard) EXPECT_EQ((guard).changes(), "") << "objects leaked"

}  // namespace veneer::test
