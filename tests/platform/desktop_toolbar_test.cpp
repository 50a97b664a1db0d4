// Conformance of the toolbar control with comctl32 as Wine shows it, in the calling process
// and across the process boundary (records written into the toolbar's own process).
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/desktop_fixture.h"

namespace veneer::test {
namespace {

class DesktopToolbar : public DesktopTest {
 protected:
  HWND make_toolbar(HWND parent, DWORD style, int x, int y, int w, int h) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    HWND tb = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                              nullptr, nullptr);
    EXPECT_NE(tb, nullptr);
    SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return tb;
  }
  static RECT item(HWND tb, int index, bool* ok = nullptr) {
    RECT r{9, 9, 9, 9};
    BOOL got =
        static_cast<BOOL>(SendMessageA(tb, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)));
    if (ok) *ok = got;
    return r;
  }
};

TEST_F(DesktopToolbar, ButtonsAreLaidOutFromTheLeft) {
  HWND parent = make_window(WS_POPUP | WS_VISIBLE, 100, 700, 400, 40);
  HWND tb = make_toolbar(parent, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_FLAT, 10, 5, 200, 30);
  TBBUTTON buttons[4] = {};
  for (int i = 0; i < 4; ++i) {
    buttons[i].iBitmap = i;
    buttons[i].idCommand = i == 3 ? 101 : 100 + i;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].dwData = 0x1000 + i;
    buttons[i].iString = -1;
  }
  ASSERT_TRUE(SendMessageA(tb, TB_ADDBUTTONSA, 4, reinterpret_cast<LPARAM>(buttons)));
  EXPECT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 4);
  RECT r{};
  GetWindowRect(tb, &r);
  EXPECT_PRED2(same_rect, r, (RECT{110, 705, 310, 735})) << "CCS_NORESIZE keeps the size";
  for (int i = 0; i < 4; ++i) EXPECT_PRED2(same_rect, item(tb, i), (RECT{23 * i, 2, 23 * i + 23, 24}));

  TBBUTTON got;
  std::memset(&got, 0xCC, sizeof got);
  ASSERT_TRUE(SendMessageA(tb, TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&got)));
  EXPECT_EQ(got.idCommand, 102);
  EXPECT_EQ(got.fsState, TBSTATE_ENABLED);
  EXPECT_EQ(got.dwData, 0x1002u);
  EXPECT_FALSE(SendMessageA(tb, TB_GETBUTTON, 4, reinterpret_cast<LPARAM>(&got)));

  // The first button with the command is hidden: it loses its place and its rectangle.
  ASSERT_TRUE(SendMessageA(tb, TB_HIDEBUTTON, 101, MAKELONG(TRUE, 0)));
  bool ok = true;
  EXPECT_PRED2(same_rect, item(tb, 1, &ok), (RECT{9, 9, 9, 9}));
  EXPECT_FALSE(ok);
  EXPECT_PRED2(same_rect, item(tb, 2), (RECT{23, 2, 46, 24}));
  EXPECT_PRED2(same_rect, item(tb, 3), (RECT{46, 2, 69, 24})) << "the second button with the command stays";
  SendMessageA(tb, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&got));
  EXPECT_EQ(got.fsState, TBSTATE_ENABLED | TBSTATE_HIDDEN);
  ASSERT_TRUE(SendMessageA(tb, TB_HIDEBUTTON, 101, 0x10000)) << "the low word says show";
  EXPECT_PRED2(same_rect, item(tb, 1), (RECT{23, 2, 46, 24}));
  EXPECT_FALSE(SendMessageA(tb, TB_HIDEBUTTON, 555, TRUE));

  ASSERT_TRUE(SendMessageA(tb, TB_DELETEBUTTON, 0, 0));
  EXPECT_FALSE(SendMessageA(tb, TB_DELETEBUTTON, 7, 0));
  EXPECT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 3);
  EXPECT_PRED2(same_rect, item(tb, 0), (RECT{0, 2, 23, 24}));
}

TEST_F(DesktopToolbar, WithoutNoResizeItTakesTheTopOfItsParent) {
  HWND parent = make_window(WS_POPUP | WS_VISIBLE, 100, 700, 400, 40);
  HWND tb = make_toolbar(parent, 0, 10, 5, 200, 30);
  RECT r{}, c{};
  GetWindowRect(tb, &r);
  GetClientRect(tb, &c);
  EXPECT_PRED2(same_rect, r, (RECT{100, 700, 500, 728}));
  EXPECT_PRED2(same_rect, c, (RECT{0, 0, 400, 26})) << "a two-pixel divider above the client area";
  HWND divided = make_toolbar(parent, CCS_NORESIZE | CCS_NOPARENTALIGN, 10, 5, 200, 30);
  GetClientRect(divided, &c);
  EXPECT_PRED2(same_rect, c, (RECT{0, 0, 200, 28}));
}

TEST_F(DesktopToolbar, AnotherProcessesToolbarAnswersIntoItsOwnMemory) {
  SKIP_IF_REMOTE_READS_EMULATED();
  HWND owner = make_window(WS_POPUP, 0, 0, 10, 10);
  TrayRequest request;
  request.count = 2;
  request.icons[0] = TrayIconEntry{reinterpret_cast<std::uintptr_t>(owner), 41, 0, 0};
  request.icons[1] = TrayIconEntry{reinterpret_cast<std::uintptr_t>(owner), 42, 1, 0};
  TrayReport tray = OtherProcess::get().build_tray(request);
  ASSERT_TRUE(tray.ok);
  HWND tb = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(tray.toolbar));
  EXPECT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 2);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, tray.process_id);
  ASSERT_NE(process, nullptr);
  void* buffer = VirtualAllocEx(process, nullptr, sizeof(TBBUTTON), MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(buffer, nullptr);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(SendMessageA(tb, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer)));
    TBBUTTON b{};
    SIZE_T n = 0;
    ASSERT_TRUE(ReadProcessMemory(process, buffer, &b, sizeof b, &n));
    EXPECT_EQ(n, sizeof b);
    EXPECT_EQ(b.idCommand, 100 + i);
    EXPECT_EQ((b.fsState & TBSTATE_HIDDEN) != 0, i == 1);
    struct {
      HWND owner;
      UINT id;
    } head{};
    ASSERT_TRUE(ReadProcessMemory(process, reinterpret_cast<LPCVOID>(b.dwData), &head, sizeof head, &n));
    EXPECT_EQ(head.owner, owner);
    EXPECT_EQ(head.id, 41u + i);
  }
  ASSERT_TRUE(SendMessageA(tb, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(buffer)));
  RECT r{};
  SIZE_T n = 0;
  ASSERT_TRUE(ReadProcessMemory(process, buffer, &r, sizeof r, &n));
  EXPECT_PRED2(same_rect, r, (RECT{0, 2, 23, 24}));
  EXPECT_FALSE(SendMessageA(tb, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(buffer))) << "hidden";
  EXPECT_TRUE(VirtualFreeEx(process, buffer, 0, MEM_RELEASE));
  EXPECT_TRUE(CloseHandle(process));
}

}  // namespace
}  // namespace veneer::test
