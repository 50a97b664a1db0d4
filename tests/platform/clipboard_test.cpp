// Conformance of the clipboard: one opener at a time, data owned by the clipboard, the text
// formats standing in for each other.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/support/clipboard_fixture.h"
#include "tests/support/emulated_wine.h"
#include "tests/support/leak_guard.h"

namespace {

using veneer::test::ClipboardTest;
using veneer::test::global_bytes;
using veneer::test::put_clipboard_text;

template <typename Char>
std::basic_string<Char> locked_text(HANDLE data) {
  const auto* chars = static_cast<const Char*>(GlobalLock(data));
  std::basic_string<Char> text = chars ? chars : std::basic_string<Char>();
  GlobalUnlock(data);
  return text;
}

TEST_F(ClipboardTest, OnlyTheOpenerUsesItAndAnotherWindowWaits) {
  SetLastError(0);
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  EXPECT_FALSE(CloseClipboard());

  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(OpenClipboard(nullptr)) << "the same window opens it again";
  if (!veneer::test::emulated_32bit_wine()) {
    std::thread([] {
      // Another thread neither closes nor empties what it did not open.
      EXPECT_FALSE(CloseClipboard());
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
      EXPECT_FALSE(EmptyClipboard());
    }).join();
  }
  EXPECT_FALSE(OpenClipboard(GetDesktopWindow()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
  ASSERT_TRUE(OpenClipboard(GetDesktopWindow()));
  EXPECT_EQ(GetOpenClipboardWindow(), GetDesktopWindow());
  EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, TextComesBackAndStandsInForUnicode) {
  ASSERT_TRUE(put_clipboard_text(std::string("h\xe9llo\0tail", 11)));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT)) << "offered once the clipboard was closed";

  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE text = GetClipboardData(CF_TEXT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(locked_text<char>(text), "h\xe9llo");
  HANDLE wide = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(locked_text<char16_t>(wide), u"h\u00e9llo");
  EXPECT_TRUE(CloseClipboard());

  // Unicode text placed alone is offered as ANSI text, through the code page.
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  const char16_t euro[] = u"a\u20ac";  // UTF-16, as CF_UNICODETEXT holds it
  EXPECT_NE(SetClipboardData(CF_UNICODETEXT, global_bytes(euro, sizeof euro)), nullptr);
  EXPECT_TRUE(CloseClipboard());
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE ansi = GetClipboardData(CF_TEXT);
  ASSERT_NE(ansi, nullptr);
  EXPECT_EQ(locked_text<char>(ansi), "a\x80");
  EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, EmptyingFreesWhatItHeldABitmapIncluded) {
  veneer::test::LeakGuard guard;
  ASSERT_TRUE(OpenClipboard(nullptr));
  HGLOBAL block = global_bytes("abc", 4);
  ASSERT_NE(SetClipboardData(CF_TEXT, block), nullptr);
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(GlobalSize(block), 0u) << "the clipboard freed the block";

  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(SetClipboardData(CF_BITMAP, bitmap), bitmap);
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(GetObjectType(bitmap), 0u) << "the clipboard deleted the bitmap";
  EXPECT_NO_LEAKS(guard);
}

}  // namespace
