// Win32's share modes between every open of a file, across processes. Each open records its
// data access and the access it denies others as read locks on single bytes of a reserved
// range far beyond any real data, using open file description locks: they belong to the
// open (not to the process, as classic record locks do), so two opens in one process see
// each other, and the kernel drops them when the open ends, even if its process dies.
// A short flock section makes "check, then record" atomic between racing opens; flock and
// record locks are independent on Linux, so the section never disturbs the records.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "kernel/file_internal.h"

namespace veneer::headless {
namespace {

constexpr off_t record_base = 0x7fffffff00000000LL;
constexpr off_t open_marker = record_base;  // held by every open with records

off_t access_slot(unsigned bit) { return record_base + 1 + (bit == share_read ? 0 : bit == share_write ? 1 : 2); }
off_t deny_slot(unsigned bit) { return access_slot(bit) + 3; }

// Whether a description other than lock_fd's holds the byte.
bool held_by_other(int lock_fd, off_t slot) {
  struct flock probe {};
  probe.l_type = F_WRLCK;  // conflicts with any lock, so any holder is reported
  probe.l_whence = SEEK_SET;
  probe.l_start = slot;
  probe.l_len = 1;
  if (fcntl(lock_fd, F_OFD_GETLK, &probe) != 0) return false;
  return probe.l_type != F_UNLCK;
}

bool hold(int lock_fd, off_t slot) {
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = slot;
  lock.l_len = 1;
  return fcntl(lock_fd, F_OFD_SETLK, &lock) == 0;
}

constexpr unsigned bits[] = {share_read, share_write, share_delete};

}  // namespace

ShareSection::ShareSection(int lock_fd) : fd_(lock_fd) {
  // Sections last microseconds; a program outside the platform holding flock on the file
  // for long must not hang the caller, so waiting is bounded.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      entered_ = true;
      return;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) return;
    if (std::chrono::steady_clock::now() > deadline) return;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

ShareSection::~ShareSection() {
  if (entered_) flock(fd_, LOCK_UN);
}

DWORD check_share(int lock_fd, unsigned access, unsigned share) {
  for (unsigned bit : bits) {
    if ((access & bit) && held_by_other(lock_fd, deny_slot(bit))) return ERROR_SHARING_VIOLATION;
    if (!(share & bit) && held_by_other(lock_fd, access_slot(bit))) return ERROR_SHARING_VIOLATION;
  }
  return ERROR_SUCCESS;
}

bool record_share(int lock_fd, unsigned access, unsigned share) {
  if (!hold(lock_fd, open_marker)) return false;
  for (unsigned bit : bits) {
    if ((access & bit) && !hold(lock_fd, access_slot(bit))) return false;
    if (!(share & bit) && !hold(lock_fd, deny_slot(bit))) return false;
  }
  return true;
}

bool file_is_open_elsewhere(int lock_fd) { return held_by_other(lock_fd, open_marker); }

}  // namespace veneer::headless
