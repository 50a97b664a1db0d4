// Reading, writing, sizes and flushing of open files, and what an open file is.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "kernel/file_internal.h"

using namespace veneer::headless;

namespace {

// The largest single transfer asked of the host; bigger requests loop.
constexpr std::size_t chunk = std::size_t{1} << 30;

bool is_stream(int fd) {
  struct stat st {};
  return fstat(fd, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

// Writing to a pipe nobody reads raises SIGPIPE, which would end the process; Win32 reports
// ERROR_BROKEN_PIPE instead. The signal is held back on this thread and any pending one
// consumed, leaving the process's disposition alone.
class PipeSignalGuard {
 public:
  explicit PipeSignalGuard(bool active) : active_(active) {
    if (!active_) return;
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigpending(&pending_before_);
    pthread_sigmask(SIG_BLOCK, &pipe, &old_);
  }
  ~PipeSignalGuard() {
    if (!active_) return;
    if (!sigismember(&pending_before_, SIGPIPE)) {
      sigset_t pipe;
      sigemptyset(&pipe);
      sigaddset(&pipe, SIGPIPE);
      timespec zero{};
      while (sigtimedwait(&pipe, nullptr, &zero) > 0) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  PipeSignalGuard(const PipeSignalGuard&) = delete;
  PipeSignalGuard& operator=(const PipeSignalGuard&) = delete;

 private:
  bool active_;
  sigset_t old_{};
  sigset_t pending_before_{};
};

std::shared_ptr<OpenFile> checked(HANDLE handle, LPOVERLAPPED overlapped, unsigned need) {
  auto file = open_file(handle);
  if (!file) return nullptr;
  if (overlapped) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((file->access & need) != need) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return file;
}

// The open behind a handle and its status, for a call that fills out; null, with the last
// error set, when there is no such open, out is null or the status cannot be read.
std::shared_ptr<OpenFile> status_of(HANDLE handle, const void* out, struct stat& st) {
  auto file = open_file(handle);
  if (!file) return nullptr;
  if (!out) {
    SetLastError(ERROR_NOACCESS);
    return nullptr;
  }
  if (fstat(file->fd, &st) != 0) {
    SetLastError(error_from_errno(errno));
    return nullptr;
  }
  return file;
}

// The host path of the file open on fd; empty for pipes, sockets and anything else without one.
std::string host_name(int fd) {
  char name[4096];
  const ssize_t n = readlink(fd_path(fd).c_str(), name, sizeof name);
  if (n <= 0 || n >= static_cast<ssize_t>(sizeof name) || name[0] != '/') return std::string();
  return std::string(name, static_cast<std::size_t>(n));
}

// 100-nanosecond intervals since 1601, as FILETIME counts.
FILETIME file_time(const timespec& t) {
  const ULONGLONG ticks =
      (static_cast<ULONGLONG>(t.tv_sec) + 11644473600ull) * 10000000ull + static_cast<ULONGLONG>(t.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace

extern "C" {

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD to_read, LPDWORD read_out, LPOVERLAPPED overlapped) {
  if (read_out) *read_out = 0;
  auto file = checked(handle, overlapped, share_read);
  if (!file) return FALSE;
  if (to_read != 0 && !buffer) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  // A disk file gives everything asked for up to its end; a pipe or device gives what it has.
  const bool whole = !is_stream(file->fd);
  std::size_t done = 0;
  while (done < to_read) {
    ssize_t n = read(file->fd, static_cast<char*>(buffer) + done, std::min<std::size_t>(to_read - done, chunk));
    if (n < 0) {
      if (errno == EINTR) continue;
      if (read_out) *read_out = static_cast<DWORD>(done);
      SetLastError(error_from_errno(errno));
      return FALSE;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
    if (!whole) break;
  }
  if (read_out) *read_out = static_cast<DWORD>(done);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD to_write, LPDWORD written_out, LPOVERLAPPED overlapped) {
  if (written_out) *written_out = 0;
  if (!call_allowed("WriteFile")) {
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  auto file = checked(handle, overlapped, share_write);
  if (!file) return FALSE;
  if (to_write != 0 && !buffer) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  PipeSignalGuard guard(is_stream(file->fd));
  std::size_t done = 0;
  while (done < to_write) {
    ssize_t n = write(file->fd, static_cast<const char*>(buffer) + done, std::min<std::size_t>(to_write - done, chunk));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A write that stops part way reports the bytes it did write, and the reason.
      if (written_out) *written_out = static_cast<DWORD>(done);
      SetLastError(n == 0 ? static_cast<DWORD>(ERROR_DISK_FULL) : error_from_errno(errno));
      return FALSE;
    }
    done += static_cast<std::size_t>(n);
  }
  if (written_out) *written_out = static_cast<DWORD>(done);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI GetFileSizeEx(HANDLE handle, PLARGE_INTEGER size) {
  struct stat st {};
  if (!status_of(handle, size, st)) return FALSE;
  // Devices and pipes have no length to Win32.
  size->QuadPart = S_ISREG(st.st_mode) ? static_cast<LONGLONG>(st.st_size) : 0;
  return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE handle, LPDWORD size_high) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size)) return INVALID_FILE_SIZE;
  if (size_high) *size_high = static_cast<DWORD>(static_cast<ULONGLONG>(size.QuadPart) >> 32);
  // A real size whose low part is all ones is told from a failure by the last error.
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size.QuadPart & 0xffffffffu);
}

DWORD WINAPI GetFileType(HANDLE handle) {
  auto file = open_file(handle);
  if (!file) return FILE_TYPE_UNKNOWN;
  struct stat st {};
  if (fstat(file->fd, &st) != 0) {
    SetLastError(error_from_errno(errno));
    return FILE_TYPE_UNKNOWN;
  }
  SetLastError(ERROR_SUCCESS);
  if (S_ISCHR(st.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_DISK;
}

BOOL WINAPI FlushFileBuffers(HANDLE handle) {
  auto file = checked(handle, nullptr, share_write);
  if (!file) return FALSE;
  if (fsync(file->fd) != 0 && errno != EINVAL && errno != EROFS) {  // pipes and devices have nothing to flush
    SetLastError(error_from_errno(errno));
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetFinalPathNameByHandleA(HANDLE handle, LPSTR path, DWORD size, DWORD) {
  auto file = open_file(handle);
  if (!file) return 0;
  const std::string name = host_name(file->fd);
  if (name.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const auto length = static_cast<DWORD>(name.size());
  if (!path || size <= length) return length + 1;
  std::memcpy(path, name.data(), length);
  path[length] = '\0';
  return length;
}

BOOL WINAPI GetFileInformationByHandle(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information) {
  struct stat st {};
  auto file = status_of(handle, information, st);
  if (!file) return FALSE;
  information->dwFileAttributes = attributes_of(st, host_name(file->fd).c_str());
  // The host keeps no creation time everywhere; the last change of the data stands in.
  information->ftCreationTime = file_time(st.st_mtim);
  information->ftLastAccessTime = file_time(st.st_atim);
  information->ftLastWriteTime = file_time(st.st_mtim);
  information->dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
  const auto size = static_cast<ULONGLONG>(S_ISREG(st.st_mode) ? st.st_size : 0);
  information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  information->nFileSizeLow = static_cast<DWORD>(size);
  information->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
  information->nFileIndexHigh = static_cast<DWORD>(static_cast<ULONGLONG>(st.st_ino) >> 32);
  information->nFileIndexLow = static_cast<DWORD>(st.st_ino);
  return TRUE;
}

}  // extern "C"
