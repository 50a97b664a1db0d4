// The framework's graphics objects and device context: ownership, temporary wrappers,
// selections and the overridable colour operations.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/support/leak_guard.h"
#include <veneer/framework/afx.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace veneer::test {
namespace {

class FrameworkGdi : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_NO_LEAKS(guard_); }
  LeakGuard guard_;
};

TEST_F(FrameworkGdi, AnObjectOwnsWhatItHoldsUntilItLetsGo) {
  HRGN kept = nullptr;
  {
    CRgn owned, released;
    EXPECT_EQ(owned.DeleteObject(), FALSE) << "nothing to delete";
    ASSERT_TRUE(owned.CreateRectRgn(0, 0, 4, 4));
    EXPECT_FALSE(owned.CreateRectRgn(0, 0, 2, 2)) << "an object holds one handle";
    ASSERT_TRUE(released.CreateRectRgn(1, 1, 2, 2));
    kept = static_cast<HRGN>(released.Detach());
    EXPECT_EQ(released.m_hObject, nullptr);
    EXPECT_EQ(released.GetSafeHandle(), nullptr);
    EXPECT_FALSE(released.Attach(nullptr));
  }
  // The detached region outlived its object; the owned one did not.
  EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_REGION));
  CRgn adopted;
  EXPECT_TRUE(adopted.Attach(kept));
  RECT box{};
  EXPECT_EQ(GetRgnBox(adopted, &box), SIMPLEREGION);
  EXPECT_TRUE(adopted.DeleteObject());
  EXPECT_EQ(GetObjectType(kept), 0u);
}

// The leak check itself must be able to fail on every build (Wine answers GetGuiResources
// with 0): an object made through the framework and kept is seen, and seen gone when deleted.
TEST(LeakGuardCheck, SeesAnObjectLeftBehindAndItsRelease) {
  veneer::test::LeakGuard guard;
  CBitmap kept;
  ASSERT_TRUE(kept.CreateBitmap(2, 2, 1, 32, nullptr));
  CRgn region;
  ASSERT_TRUE(region.CreateRectRgn(0, 0, 3, 3));
  const std::string seen = guard.changes();
  EXPECT_NE(seen.find("bitmap"), std::string::npos) << seen;
  EXPECT_NE(seen.find("region"), std::string::npos) << seen;
  kept.DeleteObject();
  region.DeleteObject();
  EXPECT_NO_LEAKS(guard);
}

TEST_F(FrameworkGdi, BitmapsDescribeThemselves) {
  CBitmap bitmap, empty;
  ASSERT_TRUE(bitmap.CreateBitmap(5, 3, 1, 32, nullptr));
  BITMAP record{};
  EXPECT_EQ(bitmap.GetBitmap(&record), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(record.bmWidth, 5);
  EXPECT_EQ(record.bmHeight, 3);
  EXPECT_EQ(record.bmBitsPixel, 32);
  EXPECT_EQ(empty.GetBitmap(&record), 0);
  CDC screen_like;
  screen_like.Attach(CreateCompatibleDC(nullptr));
  CBitmap mono;
  ASSERT_TRUE(mono.CreateCompatibleBitmap(&screen_like, 4, 4));  // a new memory context is monochrome
  EXPECT_EQ(mono.GetBitmap(&record), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(record.bmBitsPixel, 1);
}

TEST_F(FrameworkGdi, TemporaryWrappersOwnNothingAndStayBounded) {
  CRgn region;
  ASSERT_TRUE(region.CreateRectRgn(0, 0, 3, 3));
  CGdiObject* wrapper = CGdiObject::FromHandle(region.m_hObject);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_NE(wrapper, static_cast<CGdiObject*>(&region));
  EXPECT_EQ(wrapper->m_hObject, region.m_hObject);
  EXPECT_EQ(CGdiObject::FromHandle(region.m_hObject), wrapper) << "the same handle, the same wrapper";
  EXPECT_EQ(CGdiObject::FromHandle(nullptr), nullptr);
  EXPECT_EQ(CRgn::FromHandle(static_cast<HRGN>(region.m_hObject))->m_hObject, region.m_hObject);

  // A million wrappings of ever new handles reuse a bounded set of wrappers, none of which
  // deletes what it wraps.
  std::set<CGdiObject*> wrappers;
  HRGN scratch[CGdiObject::kTemporarySlots + 8];
  for (HRGN& r : scratch) r = CreateRectRgn(0, 0, 1, 1);
  for (int i = 0; i < 1000000; ++i)
    wrappers.insert(CGdiObject::FromHandle(scratch[i % (CGdiObject::kTemporarySlots + 8)]));
  EXPECT_LE(wrappers.size(), static_cast<std::size_t>(CGdiObject::kTemporarySlots));
  for (HRGN r : scratch) EXPECT_TRUE(DeleteObject(r)) << "a wrapper deleted its handle";
  EXPECT_EQ(GetObjectType(region.m_hObject), static_cast<DWORD>(OBJ_REGION));
}

// The least recently used wrapper is the one taken for a new handle: a handle asked for again
// keeps its wrapper while kTemporarySlots - 1 others come and go, and the one that waited
// longest loses its wrapper first. The handles are only keys here, never used.
TEST_F(FrameworkGdi, TemporaryWrappersGoLeastRecentlyUsedFirst) {
  constexpr int slots = CGdiObject::kTemporarySlots;
  auto handle = [](int i) { return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(0x7e0000 + 4 * i)); };
  std::vector<CGdiObject*> first(slots);
  for (int i = 0; i < slots; ++i) first[static_cast<std::size_t>(i)] = CGdiObject::FromHandle(handle(i));
  ASSERT_EQ(std::set<CGdiObject*>(first.begin(), first.end()).size(), first.size()) << "a wrapper for each handle";
  for (int round = 0; round < 3; ++round) {
    // Handle 0 is asked for again, then a new handle takes a wrapper: handle 1's, the oldest.
    ASSERT_EQ(CGdiObject::FromHandle(handle(0)), first[0]) << "round " << round;
    CGdiObject* newcomer = CGdiObject::FromHandle(handle(slots + round));
    EXPECT_EQ(newcomer, first[static_cast<std::size_t>(1 + round)]) << "round " << round;
    EXPECT_EQ(newcomer->m_hObject, handle(slots + round));
  }
  // The handles that kept their wrappers still find them, in any order.
  for (int i = slots - 1; i >= 4; --i)
    EXPECT_EQ(CGdiObject::FromHandle(handle(i)), first[static_cast<std::size_t>(i)]) << "handle " << i;
  EXPECT_EQ(CGdiObject::FromHandle(handle(0)), first[0]);
  EXPECT_EQ(CGdiObject::FromHandle(handle(0))->m_hObject, handle(0));
}

TEST_F(FrameworkGdi, ContextsDeleteWhatIsAttachedAndSelectionsReturnThePrevious) {
  HDC dc = CreateCompatibleDC(nullptr);
  {
    CDC context;
    ASSERT_TRUE(context.Attach(dc));
    EXPECT_FALSE(context.Attach(dc));
    EXPECT_EQ(context.GetSafeHdc(), dc);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, 32, nullptr));
    CBitmap* previous = context.SelectObject(&bitmap);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap.m_hObject);
    // A selection that fails (a null object, a bitmap already selected elsewhere) gives null.
    EXPECT_EQ(context.SelectObject(static_cast<CBitmap*>(nullptr)), nullptr);
    CDC other;
    other.Attach(CreateCompatibleDC(nullptr));
    EXPECT_EQ(other.SelectObject(&bitmap), nullptr);
    EXPECT_EQ(context.SelectObject(previous)->m_hObject, bitmap.m_hObject);
    EXPECT_EQ(CDC::SelectGdiObject(dc, bitmap.m_hObject)->m_hObject, previous->m_hObject);
    CDC::SelectGdiObject(dc, previous->m_hObject);

    CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
    CPen* old_pen = context.SelectObject(&pen);
    ASSERT_NE(old_pen, nullptr);
    EXPECT_EQ(context.SelectObject(old_pen)->m_hObject, pen.m_hObject);
  }
  EXPECT_EQ(GetObjectType(dc), 0u) << "the context outlived its object";

  CDC kept;
  HDC detached = CreateCompatibleDC(nullptr);
  kept.Attach(detached);
  EXPECT_EQ(kept.Detach(), detached);
  EXPECT_EQ(kept.m_hDC, nullptr);
  DeleteDC(detached);
}

TEST_F(FrameworkGdi, ColoursAndPositionGoThroughTheContext) {
  CDC context;
  context.Attach(CreateCompatibleDC(nullptr));
  const COLORREF background = GetBkColor(context.m_hDC);
  EXPECT_EQ(context.SetBkColor(RGB(1, 2, 3)), background);
  EXPECT_EQ(context.SetBkColor(RGB(4, 5, 6)), RGB(1, 2, 3));
  const COLORREF text = GetTextColor(context.m_hDC);
  EXPECT_EQ(context.SetTextColor(RGB(7, 8, 9)), text);
  EXPECT_EQ(GetTextColor(context.m_hDC), RGB(7, 8, 9));
  const CPoint start = context.MoveTo(3, 4);
  EXPECT_EQ(start, CPoint(0, 0));
  EXPECT_EQ(context.MoveTo(CPoint(5, 6)), CPoint(3, 4));
  EXPECT_TRUE(context.LineTo(9, 6));
  POINT now{};
  GetCurrentPositionEx(context.m_hDC, &now);
  EXPECT_EQ(CPoint(now), CPoint(9, 6));
}

#ifndef _WIN32
TEST_F(FrameworkGdi, APenThatCannotBeMadeRaisesTheResourceException) {
  using namespace veneer::headless::testing;
  fail_nth_creation(ObjectKind::Pen, 1);
  bool raised = false;
  try {
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
  } catch (CResourceException* e) {
    raised = true;
    e->Delete();
  }
  clear_faults();
  EXPECT_TRUE(raised);
}
#endif

}  // namespace
}  // namespace veneer::test
