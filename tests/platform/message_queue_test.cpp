// Conformance of the message queue and timers with Win32 as Wine shows it: posting, the order
// messages come out in, filters, dispatching and timers. Time passes by sleeping under Wine
// and by the testing clock on the headless platform, so the same expectations hold on both.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/support/desktop_fixture.h"
#include "tests/support/let_time_pass.h"
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {
namespace {

const HWND made_up = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340));
const HWND thread_only = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
constexpr LRESULT answered = 1234;

LRESULT CALLBACK answering_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_USER + 5 || message == WM_TIMER) return answered + static_cast<LRESULT>(wparam);
  return DefWindowProcA(window, message, wparam, lparam);
}

std::vector<UINT_PTR> callback_ids;
void CALLBACK timer_callback(HWND, UINT message, UINT_PTR id, DWORD) {
  if (message == WM_TIMER) callback_ids.push_back(id);
}

// Long enough that a timer with this period is never due while a test runs.
constexpr UINT never_due = 60000;
// Timers that fire in a test use this period and let one and a half periods (or four and a
// half) pass, so that the next period is half a period away when the test takes the
// messages: however Wine's sleep overshoots, a timer is not due twice while they are taken.
constexpr UINT period = 100;
constexpr DWORD one_and_a_half = 150;
constexpr DWORD four_and_a_half = 450;

struct Taken {
  HWND window;
  UINT message;
  WPARAM wparam;
  bool operator==(const Taken&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Taken& t) {
  return out << "{" << t.window << ", 0x" << std::hex << t.message << ", " << std::dec << t.wparam << "}";
}

class MessageQueue : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    drain();
    callback_ids.clear();
  }
  void TearDown() override {
    for (HWND w : windows_)
      if (IsWindow(w)) DestroyWindow(w);
    drain();
    DesktopTest::TearDown();
  }

  HWND window(HWND parent = nullptr) {
    static const bool registered = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = answering_proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "VeneerQueueTest";
      return RegisterClassA(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    HWND w = CreateWindowExA(0, "VeneerQueueTest", "queue", parent ? WS_CHILD : WS_POPUP, 0, 0, 50, 50, parent, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(w, nullptr);
    windows_.push_back(w);
    return w;
  }

  // Everything the filter takes now, removed.
  static std::vector<Taken> drain(HWND filter = nullptr, UINT first = 0, UINT last = 0) {
    std::vector<Taken> out;
    MSG m{};
    while (out.size() < 50 && PeekMessageA(&m, filter, first, last, PM_REMOVE))
      out.push_back(Taken{m.hwnd, m.message, m.wParam});
    return out;
  }

 private:
  std::vector<HWND> windows_;
};

TEST_F(MessageQueue, PostedMessagesComeInOrderThenTheQuitRequest) {
  HWND a = window(), b = window();
  ASSERT_TRUE(PostMessageA(a, WM_USER + 1, 1, 2));
  PostQuitMessage(7);
  ASSERT_TRUE(PostMessageA(b, WM_USER + 2, 3, 4));
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 3, 5, 6));
  ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 4, 0, 0));  // a null window posts to the thread

  MSG m{};
  for (int i = 0; i < 2; ++i) {  // looking leaves the message in place
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ((Taken{m.hwnd, m.message, m.wParam}), (Taken{a, WM_USER + 1, 1}));
    EXPECT_EQ(m.lParam, 2);
  }
  std::vector<Taken> got;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) got.push_back(Taken{m.hwnd, m.message, m.wParam});
  EXPECT_EQ(got, (std::vector<Taken>{
                     {a, WM_USER + 1, 1}, {b, WM_USER + 2, 3}, {nullptr, WM_USER + 3, 5}, {nullptr, WM_USER + 4, 0}}));
  EXPECT_EQ((Taken{m.hwnd, m.message, m.wParam}), (Taken{nullptr, WM_QUIT, 7}));
  EXPECT_TRUE(drain().empty());

  // Two requests before one is taken make one WM_QUIT with the later code; a posted WM_QUIT
  // ends GetMessage too and keeps its window.
  PostQuitMessage(1);
  PostQuitMessage(2);
  EXPECT_EQ(drain(), (std::vector<Taken>{{nullptr, WM_QUIT, 2}}));
  ASSERT_TRUE(PostMessageA(a, WM_QUIT, 11, 0));
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), 0);
  EXPECT_EQ((Taken{m.hwnd, m.message, m.wParam}), (Taken{a, WM_QUIT, 11}));
}

TEST_F(MessageQueue, FiltersTakeByWindowAndRange) {
  HWND a = window(), b = window(), child = window(a);
  PostMessageA(a, WM_USER + 1, 0, 0);
  PostMessageA(b, WM_USER + 2, 0, 0);
  PostThreadMessageA(GetCurrentThreadId(), WM_USER + 3, 0, 0);
  PostMessageA(child, WM_USER + 4, 0, 0);
  PostMessageA(a, 5, 0, 0);

  EXPECT_EQ(drain(b), (std::vector<Taken>{{b, WM_USER + 2, 0}}));
  EXPECT_EQ(drain(thread_only), (std::vector<Taken>{{nullptr, WM_USER + 3, 0}}));
  EXPECT_TRUE(drain(nullptr, WM_USER + 2, WM_USER).empty());  // first past last: nothing
  EXPECT_EQ(drain(nullptr, WM_USER + 2, WM_USER + 9), (std::vector<Taken>{{child, WM_USER + 4, 0}}));
  EXPECT_EQ(drain(a), (std::vector<Taken>{{a, WM_USER + 1, 0}, {a, 5, 0}}));

  // The quit request ignores both filters, but waits for posted messages the filter takes.
  PostMessageA(a, WM_USER + 1, 0, 0);
  PostQuitMessage(9);
  EXPECT_EQ(drain(a, WM_USER, WM_USER + 9), (std::vector<Taken>{{a, WM_USER + 1, 0}, {nullptr, WM_QUIT, 9}}));
  PostMessageA(a, WM_USER + 1, 0, 0);
  PostQuitMessage(3);
  EXPECT_EQ(drain(b, WM_USER, WM_USER + 9), (std::vector<Taken>{{nullptr, WM_QUIT, 3}}));
  EXPECT_EQ(drain(), (std::vector<Taken>{{a, WM_USER + 1, 0}}));
}

TEST_F(MessageQueue, BadWindowsAndThreadsFail) {
  HWND a = window();
  MSG m{};
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(made_up, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  SetLastError(0);
  EXPECT_FALSE(PostThreadMessageA(0x7fff0, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  PostMessageA(a, WM_USER, 0, 0);
  SetLastError(0);
  EXPECT_FALSE(PeekMessageA(&m, made_up, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  SetLastError(0);
  EXPECT_EQ(GetMessageA(&m, made_up, 0, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(drain().size(), 1u);  // the bad filters took nothing

  // A window's messages go with it.
  PostMessageA(a, WM_USER + 4, 0, 0);
  DestroyWindow(a);
  EXPECT_TRUE(drain().empty());
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(a, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MessageQueue, TranslateMakesCharactersAndDispatchCallsTheProcedure) {
  HWND a = window();
  MSG m{a, WM_USER + 5, 3, 0, 0, {0, 0}};
  EXPECT_FALSE(TranslateMessage(&m));
  m.message = WM_KEYUP;
  m.wParam = 'A';
  EXPECT_TRUE(TranslateMessage(&m));
  EXPECT_TRUE(drain().empty());
  m.message = WM_KEYDOWN;
  EXPECT_TRUE(TranslateMessage(&m));
  EXPECT_EQ(drain(), (std::vector<Taken>{{a, WM_CHAR, 'a'}}));

  m = MSG{a, WM_USER + 5, 3, 0, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&m), answered + 3);
  m.hwnd = nullptr;  // a thread message has no procedure
  EXPECT_EQ(DispatchMessageA(&m), 0);
  m.hwnd = made_up;
  EXPECT_EQ(DispatchMessageA(&m), 0);
  // A posted WM_TIMER without a callback reaches the procedure like any message.
  PostMessageA(a, WM_TIMER, 77, 0);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(&m), answered + 77);
}

TEST_F(MessageQueue, SetTimerAndKillTimerAnswerAsWin32) {
  HWND a = window();
  EXPECT_EQ(SetTimer(a, 5, never_due, nullptr), 5u);
  EXPECT_EQ(SetTimer(a, 0, never_due, nullptr), 1u);  // id 0 is kept; the answer is TRUE
  EXPECT_TRUE(KillTimer(a, 0));
  UINT_PTR first = SetTimer(nullptr, 5, never_due, timer_callback);
  UINT_PTR second = SetTimer(nullptr, 5, never_due, timer_callback);
  EXPECT_NE(first, 0u);
  EXPECT_NE(second, 0u);
  EXPECT_NE(first, second);
  EXPECT_NE(first, 5u);
  EXPECT_EQ(SetTimer(nullptr, first, never_due, nullptr), first);  // an id of the thread's is reset

  SetLastError(0);
  EXPECT_FALSE(KillTimer(a, 99));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_FALSE(KillTimer(nullptr, 99));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(SetTimer(made_up, 1, 10, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(KillTimer(nullptr, first));
  EXPECT_FALSE(KillTimer(nullptr, first));
  EXPECT_TRUE(KillTimer(nullptr, second));

  // A window's timers end with it.
  HWND gone = window();
  EXPECT_EQ(SetTimer(gone, 3, 10, nullptr), 3u);
  let_time_pass(30);
  DestroyWindow(gone);
  EXPECT_EQ(drain(), (std::vector<Taken>{}));
  SetLastError(0);
  EXPECT_FALSE(KillTimer(gone, 3));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(KillTimer(a, 5));
}

TEST_F(MessageQueue, ADueTimerComesOnceAfterPostedMessagesAndTheQuitRequest) {
  HWND a = window(), b = window();
  ASSERT_EQ(SetTimer(a, 2, period, nullptr), 2u);
  ASSERT_EQ(SetTimer(a, 1, period, nullptr), 1u);
  UINT_PTR thread_timer = SetTimer(nullptr, 0, period, timer_callback);
  ASSERT_NE(thread_timer, 0u);
  PostMessageA(b, WM_USER, 0, 0);
  let_time_pass(four_and_a_half);  // four periods missed: still one WM_TIMER each
  PostQuitMessage(4);

  std::vector<Taken> got;
  MSG m{};
  while (got.size() < 10 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    got.push_back(Taken{m.hwnd, m.message, m.wParam});
    if (m.message == WM_TIMER && !m.hwnd) {
      EXPECT_NE(m.lParam, 0);  // the callback travels with the message
      DispatchMessageA(&m);    // what it returns then is the callback's leftover, under Wine
    }
  }
  EXPECT_EQ(got, (std::vector<Taken>{{b, WM_USER, 0},
                                     {nullptr, WM_QUIT, 4},
                                     {a, WM_TIMER, 2},
                                     {a, WM_TIMER, 1},
                                     {nullptr, WM_TIMER, thread_timer}}));
  EXPECT_EQ(callback_ids, (std::vector<UINT_PTR>{thread_timer}));
  KillTimer(a, 1);
  KillTimer(a, 2);
  KillTimer(nullptr, thread_timer);
}

TEST_F(MessageQueue, TimersFollowTheFilterAndStayWhenOnlyLookedAt) {
  HWND a = window(), b = window();
  ASSERT_EQ(SetTimer(a, 5, period, nullptr), 5u);
  UINT_PTR thread_timer = SetTimer(nullptr, 0, period, nullptr);
  PostMessageA(b, WM_USER, 0, 0);
  let_time_pass(one_and_a_half);

  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));  // past b's message
  EXPECT_EQ((Taken{m.hwnd, m.message, m.wParam}), (Taken{a, WM_TIMER, 5}));
  EXPECT_TRUE(drain(thread_only).empty());  // a thread timer is not a thread message here
  EXPECT_EQ(drain(b), (std::vector<Taken>{{b, WM_USER, 0}}));
  EXPECT_EQ(drain(a), (std::vector<Taken>{{a, WM_TIMER, 5}}));
  EXPECT_EQ(drain(), (std::vector<Taken>{{nullptr, WM_TIMER, thread_timer}}));

  // Setting a due timer again starts its period afresh.
  let_time_pass(one_and_a_half);
  ASSERT_EQ(SetTimer(a, 5, never_due, nullptr), 5u);
  EXPECT_TRUE(drain(a).empty());
  KillTimer(a, 5);
  KillTimer(nullptr, thread_timer);
}

TEST_F(MessageQueue, GetMessageWaitsForATimerOrAnotherThreadsPost) {
  HWND a = window();
  ASSERT_EQ(SetTimer(a, 6, 10, nullptr), 6u);
  MSG m{};
  ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), 1);
  EXPECT_EQ((Taken{m.hwnd, m.message, m.wParam}), (Taken{a, WM_TIMER, 6}));
  KillTimer(a, 6);

  if (emulated_32bit_wine()) GTEST_SKIP() << "32-bit Wine runs under qemu (host binfmt entry): its threads fail there";
  std::thread poster([a] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostMessageA(a, WM_USER + 8, 8, 0);
  });
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), 1);
  poster.join();
  EXPECT_EQ((Taken{m.hwnd, m.message, m.wParam}), (Taken{a, WM_USER + 8, 8}));
}

#ifndef _WIN32
namespace testing = veneer::headless::testing;

// The headless platform's clock, its queue per simulated thread and its limits: what Wine
// cannot show (its clock is real time, its threads real threads).
TEST_F(MessageQueue, HeadlessClockMovesOnlyWhenAskedOrWaitedFor) {
  HWND a = window();
  ASSERT_EQ(testing::clock_milliseconds(), 0u);  // a fresh desktop starts the clock again
  SetTimer(a, 1, 5, nullptr);                    // raised to the 10 ms minimum
  testing::advance_clock(9);
  EXPECT_TRUE(drain().empty());
  testing::advance_clock(1);
  PostMessageA(a, WM_USER, 0, 0);
  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.time, 10u);
  EXPECT_EQ(drain(), (std::vector<Taken>{{a, WM_TIMER, 1}}));

  // A late timer's next period keeps its schedule: due at 20, taken at 35, next at 40.
  testing::advance_clock(25);
  EXPECT_EQ(drain().size(), 1u);
  SetTimer(nullptr, 0, 1000, nullptr);
  ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), 1);
  EXPECT_EQ(m.wParam, 1u);
  EXPECT_EQ(testing::clock_milliseconds(), 40u);

  // Resetting the desktop empties the queues and ends the timers.
  PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0);
  PostQuitMessage(0);
  testing::reset_desktop();
  testing::advance_clock(5000);
  EXPECT_TRUE(drain().empty());
}

TEST_F(MessageQueue, HeadlessQueuesBelongToTheWindowsThreads) {
  testing::OtherProcess other = testing::create_process("other.exe");
  HWND theirs;
  {
    testing::ActingAs as(other);
    theirs = CreateWindowExA(0, "Static", "theirs", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }
  ASSERT_NE(theirs, nullptr);
  PostMessageA(theirs, WM_USER, 1, 0);
  SetLastError(0);
  EXPECT_EQ(SetTimer(theirs, 1, 10, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(drain().empty());
  testing::ActingAs as(other);
  EXPECT_EQ(drain(), (std::vector<Taken>{{theirs, WM_USER, 1}}));
}

TEST_F(MessageQueue, HeadlessPostingStopsAtTheQuotaAndNullMessagesFail) {
  HWND a = window();
  for (int i = 0; i < 10000; ++i) ASSERT_TRUE(PostMessageA(a, WM_USER, i, 0));
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(a, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(PostMessageA(a, WM_USER, 0, 0));  // room again

  SetLastError(0);
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOACCESS));
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  // A made-up callback in a posted WM_TIMER is never called: the procedure gets the message.
  PostMessageA(a, WM_TIMER, 2, 0x1234);
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_TIMER) {
      EXPECT_EQ(DispatchMessageA(&m), answered + 2);
    }
  }
}
#endif

}  // namespace
}  // namespace veneer::test
