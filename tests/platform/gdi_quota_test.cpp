// The headless platform's per-process GDI quota: 10,000 objects, device contexts included,
// so that a leak ends in failed creations as it does on Windows. Wine keeps no such quota,
// so the test runs on the headless platform only.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <vector>

#include <veneer/framework/win32_api.h>
#include <veneer/headless/testing.h>

namespace {

using namespace veneer::headless::testing;

constexpr std::size_t quota = 10000;

TEST(GdiQuota, TheCreationPastTenThousandFailsUntilAnObjectIsDeleted) {
  const DWORD me = GetCurrentProcessId();
  const std::size_t start = gdi_objects_of_process(me);
  ASSERT_LT(start, quota - 10);
  std::vector<HRGN> regions;
  while (gdi_objects_of_process(me) < quota - 1) {
    HRGN r = CreateRectRgn(0, 0, 1, 1);
    ASSERT_NE(r, nullptr) << "failed at " << gdi_objects_of_process(me);
    regions.push_back(r);
  }
  HDC dc = CreateCompatibleDC(nullptr);  // the 10,000th object, a device context
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(gdi_objects_of_process(me), quota);

  EXPECT_EQ(CreateRectRgn(0, 0, 1, 1), nullptr);
  EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
  EXPECT_EQ(CreatePen(PS_SOLID, 1, 0), nullptr);
  EXPECT_EQ(CreateSolidBrush(0), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 4, 4), nullptr);
  EXPECT_NE(GetStockObject(BLACK_PEN), nullptr) << "stock objects are not the process's";
  EXPECT_EQ(gdi_objects_of_process(me), quota);

  // Another process has its own quota.
  OtherProcess other = create_process("quota-other.exe");
  {
    ActingAs as(other);
    HRGN theirs = CreateRectRgn(0, 0, 1, 1);
    EXPECT_NE(theirs, nullptr);
    EXPECT_EQ(gdi_objects_of_process(other.process_id), 1u);
    DeleteObject(theirs);
  }
  end_process(other.process_id);

  ASSERT_TRUE(DeleteDC(dc));
  HRGN again = CreateRectRgn(0, 0, 2, 2);
  EXPECT_NE(again, nullptr) << "a deleted object frees its place";
  EXPECT_EQ(CreateRectRgn(0, 0, 1, 1), nullptr);
  DeleteObject(again);
  for (HRGN r : regions) DeleteObject(r);
  EXPECT_EQ(gdi_objects_of_process(me), start);
}

}  // namespace
#endif
