// Conformance of window shapes: SetWindowRgn hands the region to the window, GetWindowRgn and
// GetWindowRgnBox read it back, and WindowFromPoint finds windows through their shapes.
#include <gtest/gtest.h>

#include "tests/support/desktop_fixture.h"

namespace veneer::test {
namespace {

class WindowRegions : public DesktopTest {};

HWND at(int x, int y) { return WindowFromPoint(POINT{x, y}); }

TEST_F(WindowRegions, TheWindowOwnsItsShape) {
  HWND w = make_window(WS_POPUP | WS_VISIBLE, 100, 100, 200, 100);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(w, copy), ERROR) << "no shape yet";

  HRGN shape = CreateEllipticRgn(0, 0, 200, 100);
  EXPECT_NE(SetWindowRgn(w, shape, TRUE), 0);
  EXPECT_EQ(GetWindowRgn(w, copy), COMPLEXREGION);
  RECT box{};
  GetRgnBox(copy, &box);
  EXPECT_PRED2(same_rect, box, (RECT{0, 0, 199, 99}));
  EXPECT_FALSE(DeleteObject(shape)) << "the window's shape is not the caller's to delete";
  EXPECT_EQ(GetWindowRgn(w, copy), COMPLEXREGION);

  // Another shape replaces it, and the window deletes the one it let go.
  HRGN square = CreateRectRgn(10, 10, 50, 50);
  EXPECT_NE(SetWindowRgn(w, square, FALSE), 0);
  EXPECT_EQ(GetWindowRgnBox(w, &box), SIMPLEREGION);
  EXPECT_PRED2(same_rect, box, (RECT{10, 10, 50, 50}));
  EXPECT_NE(SetWindowRgn(w, nullptr, FALSE), 0);
  EXPECT_EQ(GetObjectType(square), 0u);
  EXPECT_EQ(GetWindowRgn(w, copy), ERROR);

  // Destroying the window deletes its shape.
  HRGN last = CreateRectRgn(0, 0, 20, 20);
  SetWindowRgn(w, last, FALSE);
  DestroyWindow(w);
  EXPECT_EQ(GetObjectType(last), 0u);

  const HWND made_up = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340));
  SetLastError(0);
  EXPECT_EQ(SetWindowRgn(made_up, nullptr, FALSE), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(GetWindowRgn(made_up, copy), ERROR);
  DeleteObject(copy);
}

TEST_F(WindowRegions, WindowFromPointLooksThroughShapes) {
  HWND round = make_window(WS_POPUP | WS_VISIBLE, 100, 100, 200, 100);
  SetWindowRgn(round, CreateEllipticRgn(0, 0, 200, 100), FALSE);
  EXPECT_EQ(at(200, 150), round);
  EXPECT_NE(at(102, 102), round) << "the cut-off corner belongs to what lies below";

  // A framed window's shape is in window coordinates, frame included.
  HWND framed = make_window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 100, 200, 100);
  SetWindowRgn(framed, CreateRectRgn(0, 0, 20, 20), FALSE);
  EXPECT_EQ(at(405, 105), framed);
  EXPECT_NE(at(450, 150), framed);

  // A window under another shows through the upper one's cut-outs.
  HWND below = make_window(WS_POPUP | WS_VISIBLE, 90, 90, 40, 40);
  SetWindowPos(below, round, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(at(102, 102), below);
  EXPECT_EQ(at(125, 125), round);

  // Children are found inside their parent; hidden windows are not found.
  HWND child = make_window(WS_CHILD | WS_VISIBLE, 80, 30, 40, 40, round);
  EXPECT_EQ(at(200, 150), child);
  ShowWindow(child, SW_HIDE);
  EXPECT_EQ(at(200, 150), round);
  ShowWindow(round, SW_HIDE);
  EXPECT_NE(at(200, 150), round);
}

}  // namespace
}  // namespace veneer::test
