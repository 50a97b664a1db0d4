// CFile over the platform's file calls: open flags become access, share and creation modes;
// a failed Open reports through its record without throwing; I/O errors throw.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/scratch_dir.h"
#include <veneer/framework/afx.h>

namespace {

using veneer::test::read_back;
using veneer::test::ScratchDir;
using veneer::test::write_bytes;

// Runs f, which must throw the framework's file exception; returns its cause.
template <typename F>
int file_exception_cause(F&& f) {
  try {
    f();
  } catch (CFileException* e) {
    int cause = e->m_cause;
    e->Delete();
    return cause;
  }
  return -1;
}

TEST(CFileTest, OpenFlagsChooseCreationAndSharing) {
  ScratchDir dir;
  const std::string f = dir.file("f.bin");
  const CStringT name(f.c_str());

  CFileException error;
  CFile file;
  EXPECT_FALSE(file.Open(name, CFile::modeRead, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(error.m_lOsError, static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(std::string(error.m_strFileName), f);
  EXPECT_FALSE(file.Open(name, CFile::modeRead));  // no record: still no exception

  ASSERT_TRUE(file.Open(name, CFile::modeCreate | CFile::modeWrite));
  file.Write("abc", 3);
  file.Close();
  // modeNoTruncate keeps what is there; modeCreate alone empties it.
  ASSERT_TRUE(file.Open(name, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeRead));
  EXPECT_EQ(file.GetLength(), 3u);
  file.Close();

  // The compatibility mode shares nothing; shareDenyWrite admits other readers only.
  CFile holder;
  ASSERT_TRUE(holder.Open(name, CFile::modeRead | CFile::shareCompat));
  EXPECT_FALSE(file.Open(name, CFile::modeRead | CFile::shareDenyNone, &error));
  EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
  holder.Close();
  ASSERT_TRUE(holder.Open(name, CFile::modeRead | CFile::shareDenyWrite));
  EXPECT_TRUE(file.Open(name, CFile::modeRead | CFile::shareDenyNone));
  file.Close();
  EXPECT_FALSE(file.Open(name, CFile::modeWrite | CFile::shareDenyNone));
  holder.Close();

  ASSERT_TRUE(file.Open(name, CFile::modeCreate | CFile::modeReadWrite));
  EXPECT_EQ(file.GetLength(), 0u);
  file.Close();
}

TEST(CFileTest, ReadAndWriteMoveBytesAndErrorsThrow) {
  ScratchDir dir;
  const std::string f = dir.file("data.bin");
  write_bytes(f, std::string("x\0y", 3));
  {
    CFile file(CStringT(f.c_str()), CFile::modeRead);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer, 3), std::string("x\0y", 3));
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    // Writing through a read-only open is an access error.
    EXPECT_EQ(file_exception_cause([&] { file.Write("z", 1); }), CFileException::accessDenied);
  }  // the destructor closes without throwing
  EXPECT_EQ(file_exception_cause([&] { CFile missing(CStringT(dir.file("none").c_str()), CFile::modeRead); }),
            CFileException::fileNotFound);

  CFile file;
  ASSERT_TRUE(file.Open(CStringT(f.c_str()), CFile::modeWrite));
  char c;
  EXPECT_EQ(file_exception_cause([&] { file.Read(&c, 1); }), CFileException::accessDenied);
  file.Write("AB", 2);
  file.Flush();
  file.Close();
  EXPECT_EQ(read_back(f), std::string("AB\0", 3).substr(0, 2) + "y");
  // A closed file has no handle any more: its length cannot be read.
  EXPECT_EQ(file_exception_cause([&] { (void)file.GetLength(); }), CFileException::invalidFile);
}

}  // namespace
