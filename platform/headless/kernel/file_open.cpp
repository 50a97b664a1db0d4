// CreateFileA and the handle plumbing of the headless file calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "kernel/file_internal.h"
#include "kernel/security.h"

namespace veneer::headless {

OpenFile::~OpenFile() {
  if (lock_fd >= 0 && lock_fd != fd) close(lock_fd);
  if (fd >= 0) close(fd);
}

std::string fd_path(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::shared_ptr<OpenFile> open_file(HANDLE handle) {
  std::lock_guard lock(platform_lock());
  auto* object = find<FileObject>(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object->file;
}

DWORD error_from_errno(int error, const char* path) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT: {
      // Win32 says "file not found" when only the last component is missing, "path not
      // found" when a folder on the way is.
      if (!path) return ERROR_FILE_NOT_FOUND;
      std::string folder(path);
      auto slash = folder.find_last_of('/');
      if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
      folder.resize(slash == 0 ? 1 : slash);
      struct stat st {};
      return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ENOTEMPTY:
    case ETXTBSY:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case ENXIO:
      return ERROR_PIPE_NOT_CONNECTED;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace veneer::headless

using namespace veneer::headless;

namespace {

std::atomic<std::size_t> refused_for_sharing{0};

unsigned data_access(DWORD access) {
  unsigned bits = 0;
  if (access & (GENERIC_READ | GENERIC_ALL | GENERIC_EXECUTE | FILE_READ_DATA)) bits |= share_read;
  if (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) bits |= share_write;
  if (access & (GENERIC_ALL | DELETE)) bits |= share_delete;
  return bits;
}

// A fresh description of the file open on fd; -1 when the permissions refuse it.
int reopen(int fd, int mode) { return open(fd_path(fd).c_str(), mode | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); }

// Opens the host file for the disposition; sets existed when an OPEN_ALWAYS or CREATE_ALWAYS
// found the file already there. Nothing is truncated here: that waits for the share check.
int open_for(const char* path, int mode, DWORD disposition, mode_t create_mode, bool& existed, DWORD& error) {
  const int base = mode | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  existed = false;
  for (int attempt = 0; attempt < 8; ++attempt) {
    int fd = -1;
    switch (disposition) {
      case CREATE_NEW:
        fd = open(path, base | O_CREAT | O_EXCL, create_mode);
        break;
      case OPEN_EXISTING:
      case TRUNCATE_EXISTING:
        fd = open(path, base);
        break;
      default:  // CREATE_ALWAYS, OPEN_ALWAYS: open what is there, else create it
        fd = open(path, base);
        if (fd >= 0) {
          existed = true;
        } else if (errno == ENOENT) {
          fd = open(path, base | O_CREAT | O_EXCL, create_mode);
          if (fd < 0 && errno == EEXIST) {
            // A symbolic link to a missing file: the file it names is created, as under Wine.
            // Anything else was created by someone else meanwhile: look again.
            struct stat link {};
            if (lstat(path, &link) != 0 || !S_ISLNK(link.st_mode)) continue;
            fd = open(path, base | O_CREAT, create_mode);
          }
        }
        break;
    }
    if (fd < 0) error = error_from_errno(errno, path);
    return fd;
  }
  error = ERROR_SHARING_VIOLATION;
  return -1;
}

}  // namespace

extern "C" HANDLE WINAPI CreateFileA(LPCSTR file_name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                     DWORD disposition, DWORD flags_and_attributes, HANDLE) {
  if (!file_name || !*file_name) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (!creation_allowed(ObjectKind::FileHandle)) {
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return INVALID_HANDLE_VALUE;
  }
  const unsigned wanted = data_access(access);
  const bool reads = wanted & share_read, writes = wanted & share_write;
  int mode = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  // An open for attributes only reads no data, so it needs no read permission either.
  if (!reads && !writes && (disposition == OPEN_EXISTING)) mode = O_PATH;
  if (flags_and_attributes & FILE_FLAG_WRITE_THROUGH) mode |= O_DSYNC;
  mode_t create_mode = 0666;
  if (!creation_mode(security, create_mode, create_mode)) return INVALID_HANDLE_VALUE;
  if (flags_and_attributes & FILE_ATTRIBUTE_READONLY) create_mode &= ~0222u;

  auto file = std::make_shared<OpenFile>();
  bool existed = false;
  DWORD error = ERROR_SUCCESS;
  file->fd = open_for(file_name, mode, disposition, create_mode, existed, error);
  if (file->fd < 0) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  file->access = wanted;

  struct stat st {};
  if (fstat(file->fd, &st) != 0) {
    SetLastError(error_from_errno(errno, file_name));
    return INVALID_HANDLE_VALUE;
  }
  if (S_ISDIR(st.st_mode)) {  // folders are not files to Win32
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }

  // A read-only file is written by no one, whatever the host would let its superuser do; the
  // handle that created it may still write it.
  const bool created =
      disposition == CREATE_NEW || ((disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) && !existed);
  if (writes && !created && read_only(st)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }

  if (S_ISREG(st.st_mode) && wanted != 0) {
    // Share records live on a readable description; a write-only open gets one of its own.
    file->lock_fd = reads ? file->fd : reopen(file->fd, O_RDONLY);
    if (file->lock_fd >= 0) {
      ShareSection section(file->lock_fd);
      const bool admitted = section.entered() &&
                            check_share(file->lock_fd, wanted, share & share_all) == ERROR_SUCCESS &&
                            record_share(file->lock_fd, wanted, share & share_all);
      if (!admitted) {
        refused_for_sharing.fetch_add(1, std::memory_order_relaxed);
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
      }
    }
    // Only now, with the open admitted, may the old content go. The size seen before the
    // admission is stale: an earlier holder may have written the file since, so look again.
    const bool truncate = disposition == TRUNCATE_EXISTING || (disposition == CREATE_ALWAYS && existed);
    struct stat admitted_st {};
    if (truncate && (fstat(file->fd, &admitted_st) != 0 || admitted_st.st_size != 0)) {
      int writer = writes ? file->fd : reopen(file->fd, O_WRONLY);
      int result = writer >= 0 ? ftruncate(writer, 0) : -1;
      int saved = errno;
      if (writer >= 0 && writer != file->fd) close(writer);
      if (result != 0) {
        SetLastError(error_from_errno(saved, file_name));
        return INVALID_HANDLE_VALUE;
      }
    }
  }

  // Reads and writes block as Win32's do; the open itself must not wait for a pipe's peer.
  if (mode != O_PATH) {
    int fl = fcntl(file->fd, F_GETFL);
    if (fl >= 0) fcntl(file->fd, F_SETFL, fl & ~O_NONBLOCK);
  }

  auto object = std::make_unique<FileObject>();
  object->file = std::move(file);
  HANDLE handle = insert_object(std::move(object));
  if (!handle) {
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                       : ERROR_SUCCESS);
  return handle;
}

std::size_t veneer::headless::testing::sharing_refusals() { return refused_for_sharing.load(); }
