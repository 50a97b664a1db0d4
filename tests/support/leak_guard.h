// Checks that a block of test code leaves no platform object behind. On the headless
// platform every kind is counted; on Windows the process's GDI object count is compared
// where the platform reports one (Wine reports none, and then nothing is compared).
#pragma once

#include <string>

#include <veneer/framework/win32_api.h>
#ifndef _WIN32
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
  DWORD gdi_objects_ = 0;
  DWORD user_objects_ = 0;
#else
  veneer::headless::testing::LiveCounts counts_;
#endif
};

// The guard as a GoogleTest assertion: EXPECT_NO_LEAKS(guard).
#define EXPECT_NO_LEAKS(guard) EXPECT_EQ((guard).changes(), "") << "objects leaked"

}  // namespace veneer::test
