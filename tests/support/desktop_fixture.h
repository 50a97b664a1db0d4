// A fresh desktop for each window test, and windows that go away with the test.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/emulated_wine.h"
#include "tests/support/other_process.h"
#include "tests/support/platform_spy.h"
#include <veneer/framework/win32_api.h>

namespace veneer::test {

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A window of the test's class, destroyed after the test. Top-level unless a parent is given.
  HWND make_window(DWORD style, int x, int y, int width, int height, HWND parent = nullptr, DWORD ex_style = 0,
                   const char* title = "veneer test");
  static void set_work_area(RECT area);
  // WM_PAINT messages the window has received.
  static int paints(HWND window);
  // The window's rectangle in its parent's client coordinates.
  static RECT rect_in_parent(HWND window);

 private:
  std::vector<HWND> windows_;
};

// Wine's AttachThreadInput leaves no foreground window once two threads' input is separated
// again (measured: SetForegroundWindow then still answers TRUE and the foreground stays null);
// Windows keeps the window that was activated while they were joined.
bool running_under_wine();

// Where 32-bit Wine runs under qemu user emulation, wineserver's cross-process reads do not
// translate the guest's addresses: ReadProcessMemory answers TRUE with bytes from elsewhere.
// Tests that read another process's memory skip there; the emulation is read from the host's
// binfmt entry, never from ReadProcessMemory itself.
#define SKIP_IF_REMOTE_READS_EMULATED()                                                                    \
  if (veneer::test::emulated_32bit_wine())                                                                 \
  GTEST_SKIP() << "32-bit Wine runs under qemu (host binfmt entry): ReadProcessMemory cannot see another " \
                  "process's memory there"

inline bool same_rect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace veneer::test

// Prints rectangles readably in assertion messages.
inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}
