// Lets the time pass that timers wait for: real time under Wine, the testing clock headless.
#pragma once

#include <veneer/framework/win32_api.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {

inline void let_time_pass(DWORD milliseconds) {
#ifdef _WIN32
  Sleep(milliseconds);
#else
  veneer::headless::testing::advance_clock(milliseconds);
#endif
}

}  // namespace veneer::test
