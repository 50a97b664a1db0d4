#include <gtest/gtest.h>

#include <cstring>

#include <veneer/framework/afx.h>

namespace {

TEST(CStringT, HoldsZeroBytesInsideItsLength) {
  CStringT s("a\0b", 3);
  EXPECT_EQ(s.GetLength(), 3);
  EXPECT_EQ(s.GetAt(1), '\0');
  EXPECT_EQ(s.GetAt(2), 'b');
  EXPECT_EQ(s.GetString()[3], '\0');  // always terminated
  EXPECT_TRUE(CStringT(nullptr).IsEmpty());
}

TEST(CStringT, CopiesDoNotShareChanges) {
  CStringT a("abc");
  CStringT b = a;
  b.SetAt(0, 'x');
  EXPECT_STREQ(a, "abc");
  EXPECT_STREQ(b, "xbc");
  char* buffer = a.GetBuffer(10);
  std::strcpy(buffer, "longer");
  a.ReleaseBuffer();
  EXPECT_STREQ(b, "xbc");
  EXPECT_STREQ(a, "longer");
}

TEST(CStringT, OutOfRangeAccessIsHarmless) {
  CStringT s("ab");
  EXPECT_EQ(s.GetAt(-1), '\0');
  EXPECT_EQ(s.GetAt(2), '\0');
  s.SetAt(2, 'x');
  s.SetAt(-5, 'x');
  EXPECT_STREQ(s, "ab");
  EXPECT_EQ(s.GetLength(), 2);
}

TEST(CStringT, ReverseFindStopsAtTheFirstZeroByte) {
  EXPECT_EQ(CStringT("a.b.c").ReverseFind('.'), 3);
  EXPECT_EQ(CStringT("abc").ReverseFind('.'), -1);
  EXPECT_EQ(CStringT("a.b\0.c", 6).ReverseFind('.'), 1);
}

TEST(CStringT, RightTakesTheCountedEnd) {
  CStringT s("a\0bc", 4);
  EXPECT_EQ(s.Right(3), CStringT("\0bc", 3));
  EXPECT_EQ(s.Right(10), s);
  EXPECT_TRUE(s.Right(0).IsEmpty());
  EXPECT_TRUE(s.Right(-1).IsEmpty());
}

TEST(CStringT, ReleaseBufferSetsTheLength) {
  CStringT s;
  char* p = s.GetBuffer(5);
  std::memcpy(p, "x\0y\0z", 5);
  s.ReleaseBuffer(5);
  EXPECT_EQ(s.GetLength(), 5);
  p = s.GetBuffer(5);
  s.ReleaseBuffer(-1);
  EXPECT_EQ(s.GetLength(), 1);
  s.GetBuffer(0);
  s.ReleaseBuffer(0);
  EXPECT_TRUE(s.IsEmpty());
}

TEST(FrameworkExceptions, AreThrownAsPointersAndDeleted) {
  // Each block must reach its handler: a throw that does not happen fails the test.
  bool file_raised = false, memory_raised = false;
  try {
    AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, "f.txt");
  } catch (CFileException* e) {
    file_raised = true;
    EXPECT_EQ(e->m_cause, CFileException::diskFull);
    EXPECT_EQ(e->m_lOsError, ERROR_DISK_FULL);
    EXPECT_STREQ(e->m_strFileName, "f.txt");
    e->Delete();
  }
  try {
    AfxThrowMemoryException();
  } catch (CException* e) {
    memory_raised = true;
    EXPECT_NE(dynamic_cast<CMemoryException*>(e), nullptr);
    e->Delete();  // the memory exception is static; Delete leaves it alone
  }
  EXPECT_TRUE(file_raised);
  EXPECT_TRUE(memory_raised);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_SHARING_VIOLATION), CFileException::sharingViolation);
  EXPECT_EQ(CFileException::OsErrorToException(12345), CFileException::genericException);
}

}  // namespace
