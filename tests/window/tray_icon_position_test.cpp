// The tray search against a tray in another process: a toolbar whose buttons carry the
// addresses of icon records in that process's memory, laid out as that process lays them out.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "tests/support/desktop_fixture.h"
#include <veneer/veneer.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {
namespace {

class TrayIconPosition : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    SKIP_IF_REMOTE_READS_EMULATED();
#ifdef _WIN32
    LoadLibraryA("shell32.dll");  // a host with a tray icon has the shell's library loaded
#endif
    host_ = make_window(WS_OVERLAPPEDWINDOW, 0, 0, 200, 100);
    other_ = make_window(WS_OVERLAPPEDWINDOW, 0, 0, 200, 100);
    handles_ = spy::open_process_handles();
    allocations_ = spy::remote_allocations();
  }
  void TearDown() override {
    if (IsSkipped()) return DesktopTest::TearDown();
    OtherProcess::get().destroy_tray();
#ifndef _WIN32
    HeadlessStopShell();
#endif
    EXPECT_EQ(spy::open_process_handles(), handles_) << "a process handle was left open";
    EXPECT_EQ(spy::remote_allocations(), allocations_) << "memory was left in the tray's process";
    DesktopTest::TearDown();
  }

  static TrayRequest request(std::initializer_list<TrayIconEntry> icons, TrayShape shape = TrayShape::Full) {
    TrayRequest request;
    request.shape = shape;
    for (const TrayIconEntry& icon : icons) request.icons[request.count++] = icon;
    return request;
  }
  TrayReport build(std::initializer_list<TrayIconEntry> icons, TrayShape shape = TrayShape::Full) {
    return build(request(icons, shape));
  }
  TrayReport build(const TrayRequest& request) {
    TrayReport report = OtherProcess::get().build_tray(request);
    EXPECT_TRUE(report.ok);
    EXPECT_NE(report.process_id, GetCurrentProcessId()) << "the tray must belong to another process";
    return report;
  }
  TrayIconEntry icon(HWND owner, std::uint32_t id, bool hidden = false, bool cut_short = false) {
    return TrayIconEntry{reinterpret_cast<std::uintptr_t>(owner), id, hidden, cut_short};
  }

#ifndef _WIN32
  // Starts the headless shell with the owner's icon in it; the shell's own answer for its place.
  static RECT start_shell_with_icon(DWORD flags, HWND owner, UINT id) {
    EXPECT_TRUE(HeadlessStartShell(flags));
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = id;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    NOTIFYICONIDENTIFIER identifier{sizeof identifier, owner, id, {}};
    RECT place{};
    EXPECT_EQ(Shell_NotifyIconGetRect(&identifier, &place), S_OK);
    return place;
  }
#endif

  HWND host_ = nullptr;
  HWND other_ = nullptr;
  long handles_ = 0;
  long allocations_ = 0;
};

const CRect untouched(-7, -8, -9, -10);

#ifndef _WIN32
// A process played as a 32-bit program on 64-bit Windows for the length of a scope.
struct Played32Bit {
  DWORD process;
  explicit Played32Bit(DWORD p) : process(p) { veneer::headless::testing::set_32_bit_process(p, true); }
  ~Played32Bit() { veneer::headless::testing::set_32_bit_process(process, false); }
  Played32Bit(const Played32Bit&) = delete;
  Played32Bit& operator=(const Played32Bit&) = delete;
};
#endif

TEST_F(TrayIconPosition, FindsTheOwnersButtonOnTheScreen) {
  TrayReport tray = build({icon(other_, 5), icon(host_, 4), icon(host_, 5), icon(host_, 0)});
  CRect rect = untouched;
  ASSERT_EQ(AfxFindTrayIconPosition(host_, 5, rect), 1);
  EXPECT_PRED2(same_rect, rect, tray.icon_rects[2]);
  // The toolbar's client area starts at (724, 736): buttons are 23 wide, 22 high, 2 down.
  EXPECT_PRED2(same_rect, rect, (RECT{724 + 46, 738, 724 + 69, 760}));
  ASSERT_EQ(AfxFindTrayIconPosition(host_, 0, rect), 1) << "0 is an identifier like any other";
  EXPECT_PRED2(same_rect, rect, tray.icon_rects[3]);
  ASSERT_EQ(AfxFindTrayIconPosition(other_, 5, rect), 1);
  EXPECT_PRED2(same_rect, rect, tray.icon_rects[0]);
}

// The records are read in the layout of the tray's own process, whichever width the library
// has: here a 32-bit shell (20-byte buttons, 8-byte record heads) read from a 64-bit process.
TEST_F(TrayIconPosition, AShellOfTheOtherWidthIsReadInItsOwnLayout) {
#ifdef _WIN32
  GTEST_SKIP() << "a tray host of the other width is not built for the Windows suites";
#else
  if (sizeof(void*) != 8) GTEST_SKIP() << "the headless platform plays a 32-bit shell beside a 64-bit host";
  Played32Bit played(OtherProcess::get().process_id());
  TrayReport tray = build({icon(other_, 5), icon(host_, 4), icon(host_, 5)});
  CRect rect = untouched;
  ASSERT_EQ(AfxFindTrayIconPosition(host_, 5, rect), 1);
  EXPECT_PRED2(same_rect, rect, tray.icon_rects[2]);
  ASSERT_EQ(AfxFindTrayIconPosition(other_, 5, rect), 1);
  EXPECT_PRED2(same_rect, rect, tray.icon_rects[0]);
  OtherProcess::get().destroy_tray();  // while its process is still 32-bit
#endif
}

TEST_F(TrayIconPosition, TheFirstMatchDecides) {
  TrayReport tray = build({icon(host_, 9), icon(host_, 9), icon(host_, 3, true), icon(host_, 3)});
  CRect rect = untouched;
  ASSERT_EQ(AfxFindTrayIconPosition(host_, 9, rect), 1);
  EXPECT_PRED2(same_rect, rect, tray.icon_rects[0]);
  rect = untouched;
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 3, rect), 0) << "a hidden first match ends the search";
  EXPECT_EQ(rect, untouched);
}

TEST_F(TrayIconPosition, FailuresLeaveTheRectangleAlone) {
  build({icon(host_, 1)});
  CRect rect = untouched;
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 2, rect), 0);
  EXPECT_EQ(AfxFindTrayIconPosition(other_, 1, rect), 0);
  EXPECT_EQ(AfxFindTrayIconPosition(host_, -1, rect), 0);
  EXPECT_EQ(AfxFindTrayIconPosition(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340)), 1, rect), 0);
  EXPECT_EQ(rect, untouched);
}

TEST_F(TrayIconPosition, NullAndDestroyedOwnersAndExtremeIdentifiersFindNothing) {
  build({icon(host_, 1), icon(host_, INT_MAX)});
  HWND gone = make_window(WS_OVERLAPPEDWINDOW, 0, 0, 20, 20);
  DestroyWindow(gone);
  CRect rect = untouched;
  EXPECT_EQ(AfxFindTrayIconPosition(nullptr, 1, rect), 0);
  EXPECT_EQ(AfxFindTrayIconPosition(gone, 1, rect), 0);
  EXPECT_EQ(AfxFindTrayIconPosition(host_, INT_MIN, rect), 0);
  EXPECT_EQ(rect, untouched);
  EXPECT_EQ(AfxFindTrayIconPosition(host_, INT_MAX, rect), 1) << "the largest identifier is an identifier";
}

TEST_F(TrayIconPosition, NegativeIdentifierFailsBeforeLookingForTheTray) {
  build({icon(host_, 1)});
#ifndef _WIN32
  using namespace veneer::headless::testing;
  reset_creation_counts();
  CRect rect = untouched;
  EXPECT_EQ(AfxFindTrayIconPosition(host_, -1, rect), 0);
  EXPECT_EQ(creations(ObjectKind::ProcessHandle), 0u) << "the tray's process was opened";
#else
  GTEST_SKIP() << "whether the tray's process was opened is seen on the headless platform";
#endif
}

TEST_F(TrayIconPosition, AnEmptyToolbarFindsNothing) {
  build({});
  CRect rect = untouched;
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 1, rect), 0);
  EXPECT_EQ(rect, untouched);
}

TEST_F(TrayIconPosition, RecordsCutShortAreSkipped) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine's ReadProcessMemory copies through inaccessible pages";
#else
  TrayReport tray = build({icon(host_, 6, false, true), icon(host_, 6)});
  CRect rect = untouched;
  ASSERT_EQ(AfxFindTrayIconPosition(host_, 6, rect), 1);
  EXPECT_PRED2(same_rect, rect, tray.icon_rects[1]) << "the record cut short must not count";
#endif
}

TEST_F(TrayIconPosition, ResourcesFailingMidwayAreReleased) {
#ifdef _WIN32
  GTEST_SKIP() << "needs the headless platform's fault hook";
#else
  using namespace veneer::headless::testing;
  build({icon(host_, 1)});
  CRect rect = untouched;
  fail_nth_creation(ObjectKind::RemoteAllocation, 1);
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 1, rect), 0);
  fail_nth_creation(ObjectKind::ProcessHandle, 1);
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 1, rect), 0);
  clear_faults();
  EXPECT_EQ(rect, untouched);
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 1, rect), 1);
#endif
}

TEST_F(TrayIconPosition, WithoutTheToolbarChainTheShellIsAsked) {
  build({icon(host_, 1)}, TrayShape::NoPager);
  CRect rect = untouched;
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 1, rect), 0) << "a shell that cannot answer gives nothing";
  EXPECT_EQ(rect, untouched);
  OtherProcess::get().destroy_tray();
#ifdef _WIN32
  RECT answer{900, 740, 916, 756};
  spy::set_shell_icon_rect(&answer);
#else
  const RECT answer = start_shell_with_icon(HEADLESS_SHELL_NO_PAGER, host_, 1);
#endif
  ASSERT_EQ(AfxFindTrayIconPosition(host_, 1, rect), 1);
  EXPECT_PRED2(same_rect, rect, answer);
}

// Any process can make windows of the tray's classes. A toolbar claiming more buttons than any
// tray holds (10,000) is not walked: the shell is asked instead.
TEST_F(TrayIconPosition, AButtonCountNoTrayReachesIsNotWalked) {
  const RECT answer{900, 740, 916, 756};
  spy::set_shell_icon_rect(&answer);
  for (int claimed : {10001, INT_MAX}) {
    TrayRequest liar = request({icon(host_, 1)});
    liar.claimed_count = claimed;
    build(liar);
    CRect rect = untouched;
    ASSERT_EQ(AfxFindTrayIconPosition(host_, 1, rect), 1) << claimed << " buttons";
    EXPECT_PRED2(same_rect, rect, answer);
    EXPECT_EQ(OtherProcess::get().tray_button_requests(), 0u) << claimed << " buttons: the toolbar was walked";
  }
  // Up to the bound the toolbar is walked; past its one real button nothing matches.
  spy::set_shell_icon_rect(nullptr);
  TrayRequest large = request({icon(other_, 1)});
  large.claimed_count = 10000;
  build(large);
  CRect rect = untouched;
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 1, rect), 0);
  EXPECT_EQ(OtherProcess::get().tray_button_requests(), 10000u);
}

// The toolbar's answer is the tray's to give; at the ends of the int range its move onto the
// screen wraps as a 32-bit sum (the toolbar's client area starts at (724, 736)).
TEST_F(TrayIconPosition, AnItemRectangleAtTheEndsOfTheRangeWraps) {
  TrayRequest edge = request({icon(host_, 1)});
  edge.claim_item_rect = 1;
  edge.claimed_item_rect = RECT{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX};
  build(edge);
  CRect rect = untouched;
  ASSERT_EQ(AfxFindTrayIconPosition(host_, 1, rect), 1);
  auto wrapped = [](long long v) { return static_cast<LONG>(static_cast<std::uint32_t>(v)); };
  EXPECT_PRED2(same_rect, rect,
               (RECT{wrapped(INT_MAX - 5LL + 724), wrapped(INT_MAX - 5LL + 736), wrapped(INT_MAX + 724LL),
                     wrapped(INT_MAX + 736LL)}));
}

#ifndef _WIN32
// A 32-bit host on 64-bit Windows cannot name the records of a 64-bit shell, which lie above
// 4 GiB; the shell knows where the icon is. (On Windows this needs a 64-bit tray host beside the
// 32-bit suite; the headless platform plays both widths.)
TEST_F(TrayIconPosition, AThirtyTwoBitHostBesideASixtyFourBitShellAsksTheShell) {
  using namespace veneer::headless::testing;
  const RECT expected = start_shell_with_icon(0, host_, 3);
  Played32Bit played(GetCurrentProcessId());
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
  CRect rect = untouched;
  ASSERT_EQ(AfxFindTrayIconPosition(host_, 3, rect), 1);
  EXPECT_PRED2(same_rect, rect, expected);
  // A hidden icon has no place: the shell says so, and so does the search.
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = host_;
  data.uID = 3;
  data.uFlags = NIF_STATE;
  data.dwState = data.dwStateMask = NIS_HIDDEN;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
  rect = untouched;
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 3, rect), 0);
  EXPECT_EQ(rect, untouched);
}

TEST_F(TrayIconPosition, FindsIconsAddedToTheHeadlessShell) {
  ASSERT_TRUE(HeadlessStartShell(0));
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = other_;
  data.uID = 2;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  data.hWnd = host_;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  NOTIFYICONIDENTIFIER id{sizeof id, host_, 2, {}};
  RECT expected{};
  ASSERT_EQ(Shell_NotifyIconGetRect(&id, &expected), S_OK);
  CRect rect = untouched;
  ASSERT_EQ(AfxFindTrayIconPosition(host_, 2, rect), 1);
  EXPECT_PRED2(same_rect, rect, expected);

  data.uFlags = NIF_STATE;
  data.dwState = data.dwStateMask = NIS_HIDDEN;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 2, rect), 0);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  EXPECT_EQ(AfxFindTrayIconPosition(host_, 2, rect), 0);
  HeadlessStopShell();
}
#endif

}  // namespace
}  // namespace veneer::test
