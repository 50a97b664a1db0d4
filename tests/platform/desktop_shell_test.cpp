// The headless shell: a taskbar whose notification-area toolbar holds one button per icon,
// the button's data being the address of the shell's icon record in the shell's process.
#include <gtest/gtest.h>

#include "tests/support/desktop_fixture.h"
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {
namespace {

class DesktopShell : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
#ifdef _WIN32
    GTEST_SKIP() << "Wine's null driver runs no shell (no Shell_TrayWnd; Shell_NotifyIconGetRect is E_NOTIMPL)";
#endif
  }
  static HWND find_toolbar() {
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    HWND notify = FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr);
    HWND pager = FindWindowExA(notify, nullptr, "SysPager", nullptr);
    return FindWindowExA(pager ? pager : notify, nullptr, "ToolbarWindow32", nullptr);
  }
  static NOTIFYICONDATAA icon(HWND owner, UINT id) {
    NOTIFYICONDATAA d{};
    d.cbSize = sizeof d;
    d.hWnd = owner;
    d.uID = id;
    return d;
  }
};

#ifndef _WIN32
TEST_F(DesktopShell, StartsAndStopsWithTheTaskbarChain) {
  HWND host = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  NOTIFYICONDATAA data = icon(host, 1);
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data)) << "no shell yet";
  const auto allocations =
      veneer::headless::testing::live_objects(veneer::headless::testing::ObjectKind::RemoteAllocation);
  ASSERT_TRUE(HeadlessStartShell(0));
  EXPECT_FALSE(HeadlessStartShell(0));
  ASSERT_NE(find_toolbar(), nullptr);
  EXPECT_EQ(GetForegroundWindow(), host) << "the taskbar does not take the foreground";
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_PRED2(same_rect, area, (RECT{0, 0, 1024, 738})) << "the work area leaves the taskbar out";
  ASSERT_TRUE(HeadlessStopShell());
  EXPECT_EQ(FindWindowA("Shell_TrayWnd", nullptr), nullptr);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_PRED2(same_rect, area, (RECT{0, 0, 1024, 768}));
  EXPECT_EQ(veneer::headless::testing::live_objects(veneer::headless::testing::ObjectKind::RemoteAllocation),
            allocations);

  ASSERT_TRUE(HeadlessStartShell(HEADLESS_SHELL_NO_PAGER));
  HWND notify = FindWindowExA(FindWindowA("Shell_TrayWnd", nullptr), nullptr, "TrayNotifyWnd", nullptr);
  EXPECT_EQ(FindWindowExA(notify, nullptr, "SysPager", nullptr), nullptr);
  EXPECT_NE(FindWindowExA(notify, nullptr, "ToolbarWindow32", nullptr), nullptr);
}

TEST_F(DesktopShell, IconsAreButtonsPointingAtTheShellsRecords) {
  HWND host = make_window(WS_POPUP, 0, 0, 10, 10);
  ASSERT_TRUE(HeadlessStartShell(0));
  HWND tb = find_toolbar();
  NOTIFYICONDATAA a = icon(host, 7), b = icon(host, 8);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &a));
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &b));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &a)) << "added once";
  ASSERT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 2);

  DWORD shell_pid = 0;
  GetWindowThreadProcessId(tb, &shell_pid);
  EXPECT_NE(shell_pid, GetCurrentProcessId());
  HANDLE shell = OpenProcess(PROCESS_ALL_ACCESS, FALSE, shell_pid);
  void* buffer = VirtualAllocEx(shell, nullptr, sizeof(TBBUTTON), MEM_COMMIT, PAGE_READWRITE);
  ASSERT_TRUE(SendMessageA(tb, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(buffer)));
  TBBUTTON button{};
  ASSERT_TRUE(ReadProcessMemory(shell, buffer, &button, sizeof button, nullptr));
  struct {
    HWND owner;
    UINT id;
  } head{};
  ASSERT_TRUE(ReadProcessMemory(shell, reinterpret_cast<LPCVOID>(button.dwData), &head, sizeof head, nullptr));
  EXPECT_EQ(head.owner, host);
  EXPECT_EQ(head.id, 8u);
  VirtualFreeEx(shell, buffer, 0, MEM_RELEASE);
  CloseHandle(shell);

  NOTIFYICONIDENTIFIER id{sizeof id, host, 8, {}};
  RECT r{};
  ASSERT_EQ(Shell_NotifyIconGetRect(&id, &r), S_OK);
  RECT expected{23, 2, 46, 24};
  MapWindowPoints(tb, nullptr, reinterpret_cast<POINT*>(&expected), 2);
  EXPECT_PRED2(same_rect, r, expected);

  a.uFlags = NIF_STATE;
  a.dwState = a.dwStateMask = NIS_HIDDEN;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &a));
  NOTIFYICONIDENTIFIER hidden{sizeof hidden, host, 7, {}};
  EXPECT_EQ(Shell_NotifyIconGetRect(&hidden, &r), E_FAIL) << "a hidden icon has no place";
  ASSERT_EQ(Shell_NotifyIconGetRect(&id, &r), S_OK);
  expected = RECT{0, 2, 23, 24};
  MapWindowPoints(tb, nullptr, reinterpret_cast<POINT*>(&expected), 2);
  EXPECT_PRED2(same_rect, r, expected) << "the visible icon moves into the hidden one's place";

  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &a));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &a));
  EXPECT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 1);
  id.cbSize = 3;
  EXPECT_EQ(Shell_NotifyIconGetRect(&id, &r), E_INVALIDARG);
}
#endif

}  // namespace
}  // namespace veneer::test
