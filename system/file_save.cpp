#include <atomic>
#include <chrono>
#include <cstdio>

#include "frame/platform.h"
#include <veneer/veneer.h>

namespace {

// A file opened from a handle, named after the target so that its exceptions name the file
// the caller asked for rather than a temporary one.
class NamedFile : public CFile {
 public:
  void Name(const CStringT& name) { m_strFileName = name; }
};

// The new content first goes to a temporary file beside the target; on every way out but
// the final rename it is closed and removed again.
class TemporaryFile {
 public:
  // Creates a file of a fresh name in path's folder; IsOpen() tells whether it worked.
  explicit TemporaryFile(const CStringT& path) {
    const int folder_length = folder_prefix_length(path);
    static std::atomic<unsigned> counter{0};
    const auto seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 64; ++attempt) {
      char leaf[40];
      std::snprintf(leaf, sizeof leaf, "~veneer%08x.tmp", seed + 7919u * counter.fetch_add(1));
      name_ = CStringT(path.GetString(), folder_length);
      name_ += CStringT(leaf);
      HANDLE handle = CreateFileA(name_, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle != INVALID_HANDLE_VALUE) {
        file_.m_hFile = handle;
        file_.Name(path);
        created_ = true;
        return;
      }
      if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
  }
  ~TemporaryFile() {
    if (file_.m_hFile != CFile::hFileNull) file_.Abort();
    if (created_ && !kept_) DeleteFileA(name_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool created() const { return created_; }
  CFile& file() { return file_; }
  // Puts the finished file in the target's place in one step; false leaves the target as
  // it was (the temporary file is then removed).
  bool replace(const CStringT& target) {
    if (!MoveFileExA(name_, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return false;
    kept_ = true;
    return true;
  }

 private:
  // The length of the folder part of path, separator included (0 for a bare name). Both
  // separators count: "/" is one on every host, and "\" can only be one where it is.
  static int folder_prefix_length(const CStringT& path) {
    const char* text = path.GetString();
    int length = 0;
    for (int i = 0; text[i]; ++i)
      if (text[i] == '/' || text[i] == '\\') length = i + 1;
    return length;
  }

  CStringT name_;
  NamedFile file_;
  bool created_ = false;
  bool kept_ = false;
};

void write_all(CFile& file, const CStringT& content) {
  file.Write(content.GetString(), static_cast<UINT>(content.GetLength()));
}

}  // namespace

void AfxSaveToFile(CStringT content, CStringT path) {
  // Open the target for writing, sharing nothing, without creating or truncating it: a file
  // held by anyone else, a folder or a file without write access ends the call with no
  // effect, as a failed open always did. A missing file is simply created by the rename.
  CFile target;
  CFileException why;
  const bool exists = target.Open(path, CFile::modeWrite, &why) != FALSE;
  if (!exists && why.m_cause != CFileException::fileNotFound) return;

  // Devices and pipes cannot be replaced by renaming: they are written in place.
  if (exists && GetFileType(target.m_hFile) != FILE_TYPE_DISK) {
    write_all(target, content);
    target.Close();
    return;
  }
  if (exists) target.Close();  // a rename cannot replace a file that is open, even by us

  TemporaryFile temporary(path);
  if (!temporary.created()) return;
  write_all(temporary.file(), content);
  temporary.file().Flush();
  temporary.file().Close();
  temporary.replace(path);
}
