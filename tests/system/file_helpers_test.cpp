// The whole-file helpers: sizes, whole reads and whole, all-or-nothing saves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"
#include <veneer/framework/afx.h>
#include <veneer/veneer.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using veneer::test::read_back;
using veneer::test::ScratchDir;
using veneer::test::write_bytes;

std::string str(const CStringT& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }
CStringT cstr(const std::string& s) { return CStringT(s.data(), static_cast<int>(s.size())); }

HANDLE hold(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(GetFileSize, MissingEmptyOrdinaryAndBusyFiles) {
  ScratchDir dir;
  EXPECT_EQ(AfxGetFileSize(cstr(dir.file("missing"))), 0u);
  EXPECT_EQ(AfxGetFileSize(cstr(dir.path())), 0u) << "a folder has no file size";
  EXPECT_EQ(AfxGetFileSize(CStringT()), 0u);
  write_bytes(dir.file("empty"), "");
  EXPECT_EQ(AfxGetFileSize(cstr(dir.file("empty"))), 0u);
  const std::string f = dir.file("ten");
  write_bytes(f, std::string("0123\0"
                             "56789",
                             10));
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 10u);

  // Another open writing the file, even one that shares nothing, does not hide its size.
  HANDLE writer = hold(f, GENERIC_WRITE, 0);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 10u);
  CloseHandle(writer);
}

// Sets a file's length without writing it (sparse where the file system allows). On Windows
// through SetEndOfFile: the 32-bit C runtime's resize extends a file by writing zeros.
bool set_length(const std::string& path, unsigned long long length) {
#ifdef _WIN32
  HANDLE file = hold(path, GENERIC_WRITE, FILE_SHARE_READ);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(length);
  const bool ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
#else
  std::error_code error;
  std::filesystem::resize_file(path, length, error);
  return !error;
#endif
}

TEST(GetFileSize, SizesBeyondFourGibibytesAreReportedAsTheLargest) {
  ScratchDir dir;
  const std::string f = dir.file("sparse");
  write_bytes(f, "");
  if (!set_length(f, (1ull << 32) + 5)) GTEST_SKIP() << "the file system cannot hold a 4 GiB sparse file";
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 0xffffffffu) << "not the low part, 5";
  ASSERT_TRUE(set_length(f, 0xfffffffeull));
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 0xfffffffeu);
}

TEST(ReadFromFile, ReturnsEveryByteOrNothing) {
  ScratchDir dir;
  EXPECT_TRUE(AfxReadFromFile(cstr(dir.file("missing"))).IsEmpty());
  EXPECT_TRUE(AfxReadFromFile(cstr(dir.path())).IsEmpty());
  write_bytes(dir.file("empty"), "");
  EXPECT_TRUE(AfxReadFromFile(cstr(dir.file("empty"))).IsEmpty());

  const std::string f = dir.file("zeros");
  write_bytes(f, std::string("a\0b", 3));
  CStringT content = AfxReadFromFile(cstr(f));
  EXPECT_EQ(content.GetLength(), 3);
  EXPECT_EQ(str(content), std::string("a\0b", 3));

  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  write_bytes(f, big);
  EXPECT_EQ(str(AfxReadFromFile(cstr(f))), big);
}

TEST(ReadFromFile, AFileTooLargeForAStringGivesNothing) {
  ScratchDir dir;
  const std::string f = dir.file("sparse");
  write_bytes(f, "");
  if (!set_length(f, 0x80000000ull)) GTEST_SKIP() << "the file system cannot hold a 2 GiB sparse file";
  EXPECT_TRUE(AfxReadFromFile(cstr(f)).IsEmpty());
  // The file was closed again: it can be opened exclusively.
  HANDLE h = hold(f, GENERIC_READ, 0);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST(SaveToFile, WritesTheContentWholeAndReplacesWhatWasThere) {
  ScratchDir dir;
  const std::string f = dir.file("saved.bin");
  const std::string bytes("head\0\r\n\xff tail", 13);
  AfxSaveToFile(cstr(bytes), cstr(f));  // content first, path second
  EXPECT_EQ(read_back(f), bytes);
  EXPECT_EQ(str(AfxReadFromFile(cstr(f))), bytes);

  AfxSaveToFile(CStringT("short"), cstr(f));
  EXPECT_EQ(read_back(f), "short");
  AfxSaveToFile(CStringT(), cstr(f));
  EXPECT_EQ(read_back(f), "");
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 0u);
  EXPECT_EQ(dir.entry_count(), 1u) << "no temporary file stays behind";

  // A path whose folder does not exist, or that is a folder, is no file to save.
  AfxSaveToFile(CStringT("x"), cstr(dir.file("none") + "/f"));
  AfxSaveToFile(CStringT("x"), cstr(dir.path()));
  EXPECT_EQ(dir.entry_count(), 1u);
}

TEST(SaveToFile, AnExclusiveOpenOfTheTargetMakesReadAndSaveFailCleanly) {
  ScratchDir dir;
  const std::string f = dir.file("held.txt");
  write_bytes(f, "old content");
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    HANDLE holder = hold(f, GENERIC_READ, share);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(AfxReadFromFile(cstr(f)).IsEmpty()) << "share " << share;
    AfxSaveToFile(CStringT("new content"), cstr(f));  // no effect and no exception
    CloseHandle(holder);                              // (Win32 would not let the check below read it either)
    EXPECT_EQ(read_back(f), "old content");
    EXPECT_EQ(dir.entry_count(), 1u);
  }
  AfxSaveToFile(CStringT("new content"), cstr(f));
  EXPECT_EQ(read_back(f), "new content");
}

TEST(FileHelpers, OddPathsGiveTheFailureResultsAndChangeNothing) {
  ScratchDir dir;
  const std::string f = dir.file("file");
  write_bytes(f, "content");
  std::filesystem::create_directory(dir.file("folder"));
  const std::string separator = "/";  // a separator on every platform
  const std::vector<std::string> paths = {
      "",                                                // nothing at all
      dir.path(),                                        // a folder
      dir.file("folder") + separator,                    // a folder, named with its separator
      dir.file("missing") + separator + "f",             // a folder on the way that does not exist
      f + separator + "f",                               // a file used as a folder
      dir.file(std::string(300, 'n')),                   // a name longer than a file system takes
      dir.path() + separator + std::string(40000, 'x'),  // a path longer than the system takes
  };
  for (const std::string& path : paths) {
    SCOPED_TRACE(path.substr(0, 80));
    EXPECT_EQ(AfxGetFileSize(cstr(path)), 0u);
    EXPECT_TRUE(AfxReadFromFile(cstr(path)).IsEmpty());
    AfxSaveToFile(CStringT("new"), cstr(path));  // no effect, and no exception
  }
  EXPECT_EQ(read_back(f), "content");
  EXPECT_EQ(dir.entry_count(), 2u) << "nothing was created";
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("folder")));
  // A string that goes on past a zero byte names the file before it.
  const std::string counted = f + std::string(1, '\0') + "junk";
  EXPECT_EQ(AfxGetFileSize(cstr(counted)), 7u);
  EXPECT_EQ(str(AfxReadFromFile(cstr(counted))), "content");
  AfxSaveToFile(CStringT("zero"), cstr(counted));
  EXPECT_EQ(read_back(f), "zero");
  EXPECT_EQ(dir.entry_count(), 2u);
}

TEST(SaveToFile, AWriteFailingPartWayRaisesAndKeepsTheOldContent) {
#ifdef _WIN32
  GTEST_SKIP() << "a write is made to fail with a file-size limit, which only the host kernel offers";
#else
  ScratchDir dir;
  const std::string f = dir.file("precious.txt");
  const std::string old_content = "the old content, byte for byte\n";
  write_bytes(f, old_content);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Writes past 4 KiB now fail with EFBIG (the signal that would end the process is off).
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string big(100000, 'n');
    int code = 1;  // no exception reached us
    try {
      AfxSaveToFile(cstr(big), cstr(f));
    } catch (CFileException* e) {
      code = e->m_lOsError != 0 && std::string(e->m_strFileName) == f ? 0 : 2;
      e->Delete();
    }
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no file exception; 2: the exception did not name the file";
  EXPECT_EQ(read_back(f), old_content);
  EXPECT_EQ(dir.entry_count(), 1u) << "the temporary file was not removed";
#endif
}

TEST(SaveToFile, APipeIsWrittenInPlace) {
#ifdef _WIN32
  GTEST_SKIP() << "host pipes have no name in the file system on Windows";
#else
  ScratchDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  AfxSaveToFile(CStringT("through the pipe"), cstr(fifo));
  char buffer[64] = {};
  ssize_t n = read(reader, buffer, sizeof buffer);
  close(reader);
  EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0), "through the pipe");
  struct stat st {};
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe was replaced by a file";
  EXPECT_EQ(dir.entry_count(), 1u);
#endif
}

}  // namespace
