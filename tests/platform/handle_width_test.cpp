// Conformance of handle width on 64-bit hosts: Win64 reads only the low 32 bits of GDI and
// window handles, so junk in the upper half still names the object; stale handles stay stale,
// and kernel handles with junk are invalid.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/leak_guard.h"
#include "tests/support/scratch_dir.h"
#include <veneer/framework/win32_api.h>

namespace {

template <typename Handle>
Handle with_junk(Handle handle) {
  // Widened first, so that a 32-bit host compiles it (its handles have no upper half to fill).
  auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle)) | (std::uint64_t{0xABCD0001} << 32);
  return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(value));
}

class HandleWidth : public ::testing::Test {
 protected:
  void SetUp() override {
    if (sizeof(void*) < 8) GTEST_SKIP() << "a 32-bit host's handles have no upper half";
  }
  void TearDown() override { EXPECT_NO_LEAKS(leaks); }
  veneer::test::LeakGuard leaks;
};

TEST_F(HandleWidth, GdiHandlesIgnoreTheirUpperHalf) {
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HRGN region = CreateRectRgn(0, 0, 5, 5);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  EXPECT_EQ(GetObjectType(with_junk(brush)), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(GetObjectType(with_junk(dc)), static_cast<DWORD>(OBJ_MEMDC));
  RECT box{};
  EXPECT_EQ(GetRgnBox(with_junk(region), &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 5);
  HGDIOBJ old = SelectObject(with_junk(dc), with_junk(bitmap));
  EXPECT_NE(old, nullptr);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap) << "the context keeps the handle as issued";
  SetPixel(with_junk(dc), 1, 1, RGB(9, 9, 9));
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(9, 9, 9));
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteObject(with_junk(brush)));
  EXPECT_EQ(GetObjectType(brush), 0u) << "deleted through the long handle";
  EXPECT_FALSE(DeleteObject(with_junk(brush))) << "a stale handle stays stale";
  EXPECT_EQ(GetObjectType(with_junk(brush)), 0u);
  DeleteObject(bitmap);
  DeleteObject(region);
  DeleteDC(dc);
}

TEST_F(HandleWidth, WindowHandlesIgnoreTheirUpperHalf) {
  HWND window = CreateWindowExA(0, "Static", "w", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindow(with_junk(window)));
  DestroyWindow(window);
  EXPECT_FALSE(IsWindow(with_junk(window)));
}

TEST_F(HandleWidth, KernelHandlesWithJunkAreInvalid) {
  veneer::test::ScratchDir dir;
  const std::string name = dir.file("handle-width.tmp");
  HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(with_junk(file)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(CloseHandle(file));
  DeleteFileA(name.c_str());
}

}  // namespace
