// Calls on file names: deleting, renaming, replacing (the atomic replace that keeps the
// replaced file's identity) and attributes. Deleting, renaming and replacing a file need it
// not to be held open by anyone who refuses to share deletion, and a rename may not replace
// a file that is open at all, as on Win32.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kernel/file_internal.h"

using namespace veneer::headless;

namespace {

// A private read-only open of a regular file, to take part in the share rules for a call
// on its name. Closing it drops every record it made.
class NameLock {
 public:
  explicit NameLock(const char* path) {
    struct stat st {};
    if (lstat(path, &st) == 0 && S_ISREG(st.st_mode))
      fd_ = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
  }
  ~NameLock() {
    if (fd_ >= 0) close(fd_);
  }
  NameLock(const NameLock&) = delete;
  NameLock& operator=(const NameLock&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// The rename fault of the testing hook: renames left before the failing one, and its errno.
std::atomic<unsigned> renames_before_fault{0};
std::atomic<int> rename_fault{0};

// The errno the hook makes this rename fail with, or 0 when it goes ahead.
int injected_rename_error() {
  unsigned left = renames_before_fault.load();
  while (left != 0 && !renames_before_fault.compare_exchange_weak(left, left - 1)) {
  }
  return left == 1 ? rename_fault.load() : 0;
}

int host_rename(const char* from, const char* to, unsigned flags) {
  if (int error = injected_rename_error()) {
    errno = error;
    return -1;
  }
  return flags ? renameat2(AT_FDCWD, from, AT_FDCWD, to, flags) : rename(from, to);
}

bool empty_name(const char* name) {
  if (name && *name) return false;
  SetLastError(ERROR_PATH_NOT_FOUND);
  return true;
}

void sync_folder_of(const char* path) {
  std::string folder(path);
  auto slash = folder.find_last_of('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

DWORD veneer::headless::attributes_of(const struct stat& st, const char* name) {
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & 0222)) attributes |= FILE_ATTRIBUTE_READONLY;  // as Wine shows host files
  // Dot files are hidden files to Win32 programs, as Wine shows them.
  const char* slash = std::strrchr(name, '/');
  const char* base = slash ? slash + 1 : name;
  if (base[0] == '.' && std::strcmp(base, ".") != 0 && std::strcmp(base, "..") != 0)
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes;
}

extern "C" {

BOOL WINAPI DeleteFileA(LPCSTR file_name) {
  if (empty_name(file_name)) return FALSE;
  struct stat st {};
  if (lstat(file_name, &st) != 0) {
    SetLastError(error_from_errno(errno, file_name));
    return FALSE;
  }
  if (S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  NameLock lock(file_name);
  if (lock.fd() >= 0) {
    ShareSection section(lock.fd());
    DWORD verdict = section.entered() ? check_share(lock.fd(), share_delete, share_all) : ERROR_SHARING_VIOLATION;
    if (verdict != ERROR_SUCCESS) {
      SetLastError(verdict);
      return FALSE;
    }
    if (unlink(file_name) != 0) {
      SetLastError(error_from_errno(errno, file_name));
      return FALSE;
    }
    return TRUE;
  }
  if (unlink(file_name) != 0) {
    SetLastError(error_from_errno(errno, file_name));
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags) {
  if (!call_allowed("MoveFileExA")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (empty_name(existing) || empty_name(new_name)) return FALSE;
  struct stat source {};
  if (lstat(existing, &source) != 0) {
    SetLastError(error_from_errno(errno, existing));
    return FALSE;
  }
  struct stat target {};
  const bool target_exists = lstat(new_name, &target) == 0;
  if (target_exists && !(flags & MOVEFILE_REPLACE_EXISTING)) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (target_exists && S_ISDIR(target.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }

  // Both names are held in their share sections until the rename is done, so no open can
  // slip in between the checks and the rename.
  NameLock source_lock(existing);
  NameLock target_lock(target_exists ? new_name : "");
  std::unique_ptr<ShareSection> source_section, target_section;
  if (source_lock.fd() >= 0) {
    source_section = std::make_unique<ShareSection>(source_lock.fd());
    DWORD verdict =
        source_section->entered() ? check_share(source_lock.fd(), share_delete, share_all) : ERROR_SHARING_VIOLATION;
    if (verdict != ERROR_SUCCESS) {
      SetLastError(verdict);
      return FALSE;
    }
  }
  const bool same_file = target_exists && target.st_dev == source.st_dev && target.st_ino == source.st_ino;
  if (target_lock.fd() >= 0 && !same_file) {
    target_section = std::make_unique<ShareSection>(target_lock.fd());
    if (!target_section->entered() || file_is_open_elsewhere(target_lock.fd())) {
      SetLastError(ERROR_ACCESS_DENIED);  // Win32 will not replace a file that is open
      return FALSE;
    }
  }

  int result = host_rename(existing, new_name, (flags & MOVEFILE_REPLACE_EXISTING) ? 0 : RENAME_NOREPLACE);
  if (result != 0 && !(flags & MOVEFILE_REPLACE_EXISTING) && (errno == EINVAL || errno == ENOSYS)) {
    // A file system without no-replace renames: the check above has to do.
    result = host_rename(existing, new_name, 0);
  }
  if (result != 0) {
    int error = errno;
    SetLastError(error == EEXIST ? static_cast<DWORD>(ERROR_ALREADY_EXISTS) : error_from_errno(error, new_name));
    return FALSE;
  }
  if (flags & MOVEFILE_WRITE_THROUGH) {
    sync_folder_of(new_name);
    sync_folder_of(existing);
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID, LPVOID) {
  if (!replaced || !replacement || backup) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (empty_name(replaced) || empty_name(replacement)) return FALSE;
  // A symbolic link stays what it is: the file it names is the one replaced.
  std::string target = replaced;
  struct stat link {};
  if (lstat(replaced, &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* resolved = realpath(replaced, nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  struct stat old {};
  if (stat(target.c_str(), &old) != 0) {
    SetLastError(error_from_errno(errno, target.c_str()));
    return FALSE;
  }
  struct stat fresh {};
  if (lstat(replacement, &fresh) != 0) {
    SetLastError(error_from_errno(errno, replacement));
    return FALSE;
  }
  if (!S_ISREG(old.st_mode) || read_only(old) || !S_ISREG(fresh.st_mode) || read_only(fresh)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }

  // The replaced file, then the replacement, held in their share sections until the rename
  // is done. Win32 opens the replacement exclusively and moves the replaced file away, so an
  // open of the one or a holder of the other that does not share deletion refuses.
  NameLock target_lock(target.c_str());
  NameLock replacement_lock(replacement);
  if (target_lock.fd() < 0 || replacement_lock.fd() < 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  ShareSection target_section(target_lock.fd());
  ShareSection replacement_section(replacement_lock.fd());
  if (!target_section.entered() || check_share(target_lock.fd(), share_delete, share_all) != ERROR_SUCCESS ||
      !replacement_section.entered() || file_is_open_elsewhere(replacement_lock.fd())) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }

  // The identity of the replaced file: the owner and group before the rename, the permission
  // bits right after it, so that no name but the file's ever offers the replacement's content
  // with permissions wider than the replacement's own.
  const int fd = replacement_lock.fd();
  const bool same_owner = fresh.st_uid == old.st_uid && fresh.st_gid == old.st_gid;
  if (!same_owner && fchown(fd, old.st_uid, old.st_gid) != 0 && !(flags & REPLACEFILE_IGNORE_ACL_ERRORS)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (host_rename(replacement, target.c_str(), 0) != 0) {
    if (!same_owner) fchown(fd, fresh.st_uid, fresh.st_gid);  // the replacement as it was
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
  }
  // The owner (or the superuser) may always set them; a change of owner cleared any
  // set-user-ID bits, which this puts back.
  fchmod(fd, old.st_mode & 07777);
  sync_folder_of(target.c_str());
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR file_name) {
  if (empty_name(file_name)) return INVALID_FILE_ATTRIBUTES;
  struct stat st {};
  if (stat(file_name, &st) != 0) {
    SetLastError(error_from_errno(errno, file_name));
    return INVALID_FILE_ATTRIBUTES;
  }
  return attributes_of(st, file_name);
}

}  // extern "C"

void veneer::headless::testing::fail_nth_rename(unsigned n, int host_error) {
  rename_fault.store(host_error);
  renames_before_fault.store(n);
}
