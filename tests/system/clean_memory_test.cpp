// Working-set trimming: when it happens, and that it really gives memory back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "tests/support/desktop_fixture.h"
#include <veneer/veneer.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {
namespace {

class CleanMemory : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    handles_ = spy::open_process_handles();
#ifndef _WIN32
    veneer::headless::testing::set_working_set_size(25000000);
#endif
    host_ = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200);
    object_.m_hWnd = host_;
  }
  void TearDown() override {
#ifndef _WIN32
    veneer::headless::testing::clear_working_set_size();
#endif
    EXPECT_EQ(spy::open_process_handles(), handles_) << "the process handle was not closed";
    DesktopTest::TearDown();
  }
  // Whether the platform's working-set figure is above the threshold (on Windows it is the
  // platform's own figure; Wine reports about 20.4 MB).
  static bool above_threshold() {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    return GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c) && c.WorkingSetSize > 20000000;
  }
  unsigned trims_after(CWnd* window, int force) {
    unsigned before = spy::trims();
    AfxCleanMemory(window, force);
    return spy::trims() - before;
  }

  HWND host_ = nullptr;
  CWnd object_;
  long handles_ = 0;
};

TEST_F(CleanMemory, TrimsOnlyInTheBackground) {
  const unsigned expected = above_threshold() ? 1 : 0;
  SetForegroundWindow(host_);
  EXPECT_EQ(trims_after(&object_, 0), 0u) << "the host owns the foreground window";
  EXPECT_EQ(trims_after(nullptr, 0), 0u) << "nor is the window looked at then";

  ASSERT_NE(OtherProcess::get().show_foreground_window(), nullptr);
  EXPECT_EQ(trims_after(&object_, 0), expected);
  ShowWindow(host_, SW_HIDE);
  EXPECT_EQ(trims_after(&object_, 0), expected) << "hidden but not minimised";
  ShowWindow(host_, SW_SHOWMINNOACTIVE);
  ASSERT_TRUE(IsIconic(host_));
  EXPECT_EQ(trims_after(&object_, 0), 0u) << "the host's window is minimised";
  EXPECT_EQ(trims_after(nullptr, 0), 0u) << "no window to look at: no trim, and no crash";
  EXPECT_EQ(trims_after(&object_, 1), expected) << "forced";
  EXPECT_EQ(trims_after(nullptr, 1), expected) << "forced, the window is never read";
}

TEST_F(CleanMemory, WindowObjectsWithoutAWindowAreNotMinimised) {
  // In the background, a window object that holds no window, a made-up handle or a destroyed
  // window is not a minimised window: the trim goes ahead as for a window that is shown.
  const unsigned expected = above_threshold() ? 1 : 0;
  ASSERT_NE(OtherProcess::get().show_foreground_window(), nullptr);
  CWnd unattached, made_up, destroyed;
  made_up.m_hWnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340));
  destroyed.m_hWnd = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50, 50);
  DestroyWindow(destroyed.m_hWnd);
  for (CWnd* window : {&unattached, &made_up, &destroyed}) {
    EXPECT_EQ(trims_after(window, 0), expected);
    EXPECT_EQ(trims_after(window, -1), expected) << "any non-zero force forces";
  }
  EXPECT_EQ(unattached.m_hWnd, nullptr);
  // In the foreground nothing is trimmed, whatever the window.
  SetForegroundWindow(host_);
  for (CWnd* window : {&unattached, &made_up, &destroyed}) EXPECT_EQ(trims_after(window, 0), 0u);
}

#ifndef _WIN32
TEST_F(CleanMemory, TheThresholdIsStrict) {
  using namespace veneer::headless::testing;
  set_working_set_size(20000000);
  EXPECT_EQ(trims_after(nullptr, 1), 0u);
  set_working_set_size(20000001);
  EXPECT_EQ(trims_after(nullptr, 1), 1u);
  // With no foreground window at all the minimised test and the threshold decide.
  ASSERT_EQ(GetForegroundWindow(), host_);
  ShowWindow(host_, SW_HIDE);
  ASSERT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_EQ(trims_after(&object_, 0), 1u);
}

TEST_F(CleanMemory, ATrimLowersTheResidentSize) {
  using namespace veneer::headless::testing;
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer's allocator keeps freed blocks in quarantine: nothing to give back";
#endif
  clear_working_set_size();
  // Many small blocks, written, then freed while a block after them keeps the heap from
  // shrinking by itself: the pages stay resident until the trim.
  constexpr std::size_t block = 16 * 1024, total = 96u << 20;
  std::vector<std::unique_ptr<char[]>> blocks;
  for (std::size_t i = 0; i < total / block; ++i) {
    blocks.emplace_back(new char[block]);
    std::memset(blocks.back().get(), 1, block);
  }
  auto keeper = std::make_unique<char[]>(64);
  blocks.clear();
  const std::size_t before = resident_size();
  ASSERT_GT(before, 64u << 20) << "the freed memory should still be resident";
  AfxCleanMemory(nullptr, 1);
  const std::size_t after = resident_size();
  EXPECT_LT(after + (48u << 20), before) << "resident " << before << " -> " << after;
}
#endif

}  // namespace
}  // namespace veneer::test
