// Inside the headless file calls: open files, their handles, errno translation and the
// share-mode records that make Win32's sharing rules hold between processes.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "kernel/object_table.h"
#include <veneer/headless/kernel_file.h>

namespace veneer::headless {

// Data access and sharing as the share rules see them: read, write, delete.
enum ShareBits : unsigned { share_read = 1, share_write = 2, share_delete = 4, share_all = 7 };

// One open of a host file. Shared by its handle and by calls running on it, so that a
// CloseHandle racing a ReadFile on another thread never closes the descriptor under it.
struct OpenFile {
  OpenFile() = default;
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile();

  int fd = -1;
  // The descriptor whose open file description holds this open's share records; the same
  // as fd when fd can read, its own read-only description otherwise, -1 when none is held
  // (files other than regular ones, attribute-only opens).
  int lock_fd = -1;
  unsigned access = 0;  // ShareBits
};

struct FileObject : Object {
  static constexpr ObjectKind object_kind = ObjectKind::FileHandle;
  FileObject() : Object(object_kind) {}
  std::shared_ptr<OpenFile> file;
};

// The open behind a handle; null with ERROR_INVALID_HANDLE set when there is none.
std::shared_ptr<OpenFile> open_file(HANDLE handle);

// The name of a descriptor under /proc, which opens the file it holds again.
std::string fd_path(int fd);

// Win32's error for an errno value of a call on path (path tells a missing file from a
// missing folder, as Win32 does).
DWORD error_from_errno(int error, const char* path = nullptr);

// A file no one may write: no write permission bit is set (FILE_ATTRIBUTE_READONLY).
inline bool read_only(const struct stat& st) { return !S_ISDIR(st.st_mode) && !(st.st_mode & 0222); }
// Win32's attributes of a file with this status and name (the name's last component makes
// a dot file hidden).
DWORD attributes_of(const struct stat& st, const char* name);

// Holds the short exclusive section in which share records of one file are checked and
// changed, so that two opens racing in different processes cannot both pass the check.
class ShareSection {
 public:
  explicit ShareSection(int lock_fd);
  ~ShareSection();
  ShareSection(const ShareSection&) = delete;
  ShareSection& operator=(const ShareSection&) = delete;
  bool entered() const { return entered_; }

 private:
  int fd_;
  bool entered_ = false;
};

// Inside a ShareSection: ERROR_SUCCESS when an open with the access and share modes is
// compatible with every other open of the file, else ERROR_SHARING_VIOLATION.
DWORD check_share(int lock_fd, unsigned access, unsigned share);
// Inside a ShareSection: records the open's access and share modes on lock_fd's description;
// the records vanish when that description is closed, whichever way the process ends.
bool record_share(int lock_fd, unsigned access, unsigned share);
// Whether any other open of the file exists (Win32 refuses to replace an open file).
bool file_is_open_elsewhere(int lock_fd);

}  // namespace veneer::headless
