// Conformance of processes, their memory and the process-status counters.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/desktop_fixture.h"

namespace veneer::test {
namespace {

class DesktopProcess : public DesktopTest {};

TEST_F(DesktopProcess, OpeningAndClosingProcesses) {
  SetLastError(0);
  EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0x7777770), nullptr);
  HANDLE own = OpenProcess(PROCESS_ALL_ACCESS, TRUE, GetCurrentProcessId());
  ASSERT_NE(own, nullptr);
  EXPECT_TRUE(CloseHandle(own));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(own)) << "a handle closes once";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(CloseHandle(GetCurrentProcess())) << "the pseudo-handle needs no closing";
  EXPECT_FALSE(CloseHandle(nullptr));
  BOOL wow = 5;
  EXPECT_TRUE(IsWow64Process(GetCurrentProcess(), &wow));
  if (sizeof(void*) == 8) {
    EXPECT_FALSE(wow);
  }
}

TEST_F(DesktopProcess, MemoryOfAnotherProcess) {
  OtherProcess& other = OtherProcess::get();
  ASSERT_NE(other.process_id(), 0u);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, other.process_id());
  ASSERT_NE(process, nullptr);
  SetLastError(0);
  EXPECT_EQ(VirtualAllocEx(process, nullptr, 0, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(VirtualAllocEx(process, nullptr, 20, MEM_COMMIT, 0x1234), nullptr);
  char* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 20, MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(remote, nullptr);
  SIZE_T n = 77;
  ASSERT_TRUE(WriteProcessMemory(process, remote, "abcdefgh", 8, &n));
  EXPECT_EQ(n, 8u);
  char back[8] = {};
  n = 77;
  ASSERT_TRUE(ReadProcessMemory(process, remote, back, 8, &n));
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(std::memcmp(back, "abcdefgh", 8), 0);
  n = 77;
  EXPECT_TRUE(ReadProcessMemory(process, remote, back, 0, &n));
  EXPECT_EQ(n, 0u);
  n = 77;
  SetLastError(0);
  EXPECT_FALSE(ReadProcessMemory(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x12340)), remote, back, 4, &n));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(n, 0u) << "the count is stored on failure too";

  DWORD old = 0;
  EXPECT_TRUE(VirtualProtectEx(process, remote, 4096, PAGE_READONLY, &old));
  EXPECT_EQ(old, static_cast<DWORD>(PAGE_READWRITE));
  SetLastError(0);
  EXPECT_FALSE(VirtualProtectEx(process, remote, 4096, PAGE_READWRITE, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOACCESS));
  EXPECT_FALSE(VirtualFreeEx(process, remote, 20, MEM_RELEASE)) << "a release names no size";
  EXPECT_TRUE(VirtualFreeEx(process, remote, 0, MEM_RELEASE));
  SetLastError(0);
  EXPECT_FALSE(VirtualFreeEx(process, remote, 0, MEM_RELEASE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  CloseHandle(process);
}

TEST_F(DesktopProcess, AReadStopsAtAnInaccessiblePage) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine's ReadProcessMemory ignores page protection; Win32 stops at the page";
#else
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, OtherProcess::get().process_id());
  char* pages = static_cast<char*>(VirtualAllocEx(process, nullptr, 8192, MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtectEx(process, pages + 4096, 4096, PAGE_NOACCESS, &old));
  char buffer[16];
  SIZE_T n = 77;
  SetLastError(0);
  EXPECT_FALSE(ReadProcessMemory(process, pages + 4090, buffer, 12, &n));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PARTIAL_COPY));
  EXPECT_EQ(n, 6u) << "the bytes up to the page";
  n = 77;
  EXPECT_FALSE(ReadProcessMemory(process, pages + 4096, buffer, 4, &n));
  EXPECT_EQ(n, 0u);
  // The other process reaches only its own memory, not this process's.
  int mine = 42;
  n = 77;
  EXPECT_FALSE(ReadProcessMemory(process, &mine, buffer, sizeof mine, &n));
  EXPECT_EQ(n, 0u);
  VirtualFreeEx(process, pages, 0, MEM_RELEASE);
  CloseHandle(process);
#endif
}

TEST_F(DesktopProcess, MemoryCounters) {
  static_assert(sizeof(PROCESS_MEMORY_COUNTERS) == (sizeof(void*) == 8 ? 72 : 40));
  PROCESS_MEMORY_COUNTERS c;
  std::memset(&c, 0, sizeof c);
  SetLastError(0);
  EXPECT_FALSE(GetProcessMemoryInfo(GetCurrentProcess(), &c, 10));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c));
  EXPECT_EQ(c.cb, sizeof c);
  EXPECT_GT(c.WorkingSetSize, 0u);
  EXPECT_GE(c.PeakWorkingSetSize, c.WorkingSetSize);
  EXPECT_FALSE(GetProcessMemoryInfo(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x12340)), &c, sizeof c));
  EXPECT_TRUE(SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1)));
}

}  // namespace
}  // namespace veneer::test
