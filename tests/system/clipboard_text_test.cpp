// The clipboard's 8-bit text, read for the desktop window.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "tests/support/clipboard_fixture.h"
#include "tests/support/heap_faults.h"
#include <veneer/framework/afx.h>
#include <veneer/veneer.h>

namespace {

using veneer::test::ClipboardTest;
using veneer::test::put_clipboard_text;

std::string str(const CStringT& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

using ClipboardTextTest = veneer::test::ClipboardTest;

TEST_F(ClipboardTextTest, TextSetByTheTestComesBackAndTheClipboardIsClosedAfter) {
  ASSERT_TRUE(put_clipboard_text(std::string("clip \xe9 text\0", 12)));
  EXPECT_EQ(str(AfxGetClipboardText()), "clip \xe9 text");
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
  // Text after a zero byte is not part of it; text placed without any zero byte is ended in
  // its last byte by the clipboard (as Wine does), and nothing past the block is read.
  ASSERT_TRUE(put_clipboard_text(std::string("first\0second", 12)));
  EXPECT_EQ(str(AfxGetClipboardText()), "first");
  ASSERT_TRUE(put_clipboard_text(std::string(64, 'z')));
  EXPECT_EQ(str(AfxGetClipboardText()), std::string(63, 'z'));
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
}

TEST_F(ClipboardTextTest, EmptyBitmapOnlyAndBusyClipboardsGiveNothing) {
  EXPECT_TRUE(AfxGetClipboardText().IsEmpty());

  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  ASSERT_NE(SetClipboardData(CF_BITMAP, CreateBitmap(2, 2, 1, 32, nullptr)), nullptr);
  CloseClipboard();
  EXPECT_TRUE(AfxGetClipboardText().IsEmpty());
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);

  // Held open by another window: nothing, and it stays that window's.
  ASSERT_TRUE(put_clipboard_text(std::string("busy", 5)));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(AfxGetClipboardText().IsEmpty());
  EXPECT_TRUE(CloseClipboard()) << "the clipboard was taken from its opener";
  EXPECT_EQ(str(AfxGetClipboardText()), "busy");
}

#ifndef _WIN32
// The heap hook is the headless build's.
TEST_F(ClipboardTextTest, ACopyThatRaisesStillClosesTheClipboard) {
  ASSERT_TRUE(put_clipboard_text(std::string(200, 'x')));
  namespace heap = veneer::test::heap;
  heap::arm(0);
  {
    heap::Counted scope;
    AfxGetClipboardText();
  }
  const auto allocations = static_cast<unsigned>(heap::disarm());
  ASSERT_GT(allocations, 0u);
  // Whichever allocation fails, the clipboard is closed after; the copy of the text raises.
  bool raised = false;
  for (unsigned n = 1; n <= allocations; ++n) {
    heap::arm(n);
    try {
      heap::Counted scope;
      AfxGetClipboardText();
    } catch (CMemoryException* e) {
      raised = true;
      e->Delete();
    } catch (const std::bad_alloc&) {
      // the platform's own bookkeeping; not the copy
    }
    heap::disarm();
    EXPECT_TRUE(OpenClipboard(nullptr)) << "allocation " << n << " failing left the clipboard open";
    CloseClipboard();
  }
  EXPECT_TRUE(raised);
}
#endif

}  // namespace
