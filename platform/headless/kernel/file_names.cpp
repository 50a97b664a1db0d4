// Calls on file names: deleting, renaming (the atomic replace) and attributes. Both deleting
// and renaming a file need it not to be held open by anyone who refuses to share deletion,
// and a rename may not replace a file that is open at all, as on Win32.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

  int result = (flags & MOVEFILE_REPLACE_EXISTING)
                   ? rename(existing, new_name)
                   : renameat2(AT_FDCWD, existing, AT_FDCWD, new_name, RENAME_NOREPLACE);
  if (result != 0 && !(flags & MOVEFILE_REPLACE_EXISTING) && (errno == EINVAL || errno == ENOSYS)) {
    // A file system without no-replace renames: the check above has to do.
    result = rename(existing, new_name);
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

DWORD WINAPI GetFileAttributesA(LPCSTR file_name) {
  if (empty_name(file_name)) return INVALID_FILE_ATTRIBUTES;
  struct stat st {};
  if (stat(file_name, &st) != 0) {
    SetLastError(error_from_errno(errno, file_name));
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  // Dot files are hidden files to Win32 programs, as Wine shows them.
  const char* slash = std::strrchr(file_name, '/');
  const char* base = slash ? slash + 1 : file_name;
  if (base[0] == '.' && std::strcmp(base, ".") != 0 && std::strcmp(base, "..") != 0)
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes;
}

}  // extern "C"
