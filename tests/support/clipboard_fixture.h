// Clipboard tests share the clipboard with everything else in the process (and, under Wine,
// in the whole prefix): each starts from an empty, closed clipboard.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <veneer/framework/win32_api.h>

namespace veneer::test {

inline HGLOBAL global_bytes(const void* bytes, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block && size) {
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
  }
  return block;
}

// Places the bytes (a zero byte is not added) as CF_TEXT on an emptied clipboard.
inline bool put_clipboard_text(const std::string& bytes) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool ok = SetClipboardData(CF_TEXT, global_bytes(bytes.data(), bytes.size())) != nullptr;
  CloseClipboard();
  return ok;
}

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenClipboard(nullptr)) << "the clipboard is held by someone else";
    EmptyClipboard();
    CloseClipboard();
  }
  void TearDown() override { SetUp(); }
};

}  // namespace veneer::test
