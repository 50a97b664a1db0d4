// Share modes hold between processes: an exclusive open in one process shuts out every open
// in another until it ends, however it ends.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/scratch_dir.h"
#include <veneer/framework/win32_api.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using veneer::test::ScratchDir;
using veneer::test::write_bytes;

#ifndef _WIN32
// Runs body in a child process that holds the file open exclusively until told to end; the
// parent's checks run while it does.
class ExclusiveHolder {
 public:
  ExclusiveHolder(const std::string& path, DWORD access) {
    int ready[2], finish[2];
    if (pipe(ready) != 0 || pipe(finish) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(finish[1]);  // else the child would hold its own end-of-wait open
      HANDLE h = CreateFileA(path.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      char ok = h != INVALID_HANDLE_VALUE ? 1 : 0;
      (void)!write(ready[1], &ok, 1);
      char c;
      (void)!read(finish[0], &c, 1);  // ends with the parent's signal or its death
      _exit(0);
    }
    close(ready[1]);
    close(finish[0]);
    finish_ = finish[1];
    char ok = 0;
    held_ = read(ready[0], &ok, 1) == 1 && ok == 1;
    close(ready[0]);
  }
  ~ExclusiveHolder() { end(); }
  bool held() const { return held_; }
  void end() {
    if (pid_ <= 0) return;
    close(finish_);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int finish_ = -1;
  bool held_ = false;
};
#endif

TEST(FileShareAcrossProcesses, AnExclusiveOpenElsewhereExcludesUntilItsProcessEnds) {
#ifdef _WIN32
  GTEST_SKIP() << "the Windows kernel enforces sharing itself; this checks the headless mechanism";
#else
  ScratchDir dir;
  const std::string f = dir.file("locked.txt");
  write_bytes(f, "content");
  ExclusiveHolder holder(f, GENERIC_WRITE);
  ASSERT_TRUE(holder.held());
  for (DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}, DWORD{DELETE}}) {
    HANDLE h = CreateFileA(f.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "access " << std::hex << access;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  }
  EXPECT_FALSE(DeleteFileA(f.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  holder.end();
  HANDLE h = CreateFileA(f.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
#endif
}

#ifndef _WIN32
// The process and thread identifiers are the host's, also in a child forked after the parent
// asked for its own.
TEST(ProcessIdentity, AForkedChildReportsItsOwnIdentifiers) {
  const DWORD parent = GetCurrentProcessId();
  EXPECT_EQ(parent, static_cast<DWORD>(getpid()));
  EXPECT_EQ(GetCurrentThreadId(), static_cast<DWORD>(gettid()));
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const bool own = GetCurrentProcessId() == static_cast<DWORD>(getpid()) && GetCurrentProcessId() != parent &&
                     GetCurrentThreadId() == static_cast<DWORD>(gettid());
    _exit(own ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(GetCurrentProcessId(), parent);
}
#endif

}  // namespace
