#include <cstdio>

#include "frame/platform.h"
#include "frame/system_random.h"
#include <veneer/veneer.h>

namespace {

void write_all(CFile& file, const CStringT& content) {
  file.Write(content.GetString(), static_cast<UINT>(content.GetLength()));
}

// The plain save: create or truncate, write, close. No effect when the file cannot be opened
// for writing; a write or close error raises.
void write_in_place(const CStringT& content, const CStringT& path) {
  CFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite)) return;
  write_all(file, content);
  file.Close();
}

// The path of an open file as the platform names it, symbolic links resolved; empty when it
// cannot be told.
CStringT final_path(HANDLE file) {
  CStringT path;
  DWORD size = MAX_PATH;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD length = GetFinalPathNameByHandleA(file, path.GetBuffer(static_cast<int>(size)), size,
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    path.ReleaseBuffer(length != 0 && length < size ? static_cast<int>(length) : 0);
    if (length == 0 || length < size) break;
    size = length + 1;  // too small: the size needed (Wine's count leaves out the terminating zero)
  }
  return path;
}

// Security attributes that let only the calling user open the file they create: a protected
// DACL with one entry, for the user of the process's token, to read, write and delete it.
class OwnerOnly {
 public:
  OwnerOnly() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    const BOOL known = GetTokenInformation(token, TokenUser, user_, sizeof user_, &size);
    CloseHandle(token);
    if (!known) return;
    ACL* acl = reinterpret_cast<ACL*>(acl_);
    ready_ = InitializeAcl(acl, sizeof acl_, ACL_REVISION) &&
             AddAccessAllowedAce(acl, ACL_REVISION, FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE,
                                 reinterpret_cast<TOKEN_USER*>(user_)->User.Sid) &&
             InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
             SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) &&
             SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
  }
  OwnerOnly(const OwnerOnly&) = delete;
  OwnerOnly& operator=(const OwnerOnly&) = delete;
  // Null when the user could not be told.
  SECURITY_ATTRIBUTES* get() { return ready_ ? &attributes_ : nullptr; }

 private:
  alignas(void*) BYTE user_[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  alignas(DWORD) BYTE acl_[sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE];
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool ready_ = false;
};

// A file opened from a handle, named after the target so that its exceptions name the file
// the caller asked for rather than a temporary one.
class NamedFile : public CFile {
 public:
  void Name(const CStringT& name) { m_strFileName = name; }
};

// The new content's file: beside the file it will replace, of a random name
// ("~veneer" + 16 hexadecimal digits + ".tmp"), created exclusively and open to its user
// only. Closed and removed again on every way out but a successful replace.
class TemporaryFile {
 public:
  // target: the file to replace, as the platform names it; caller_path: the name its
  // exceptions give.
  TemporaryFile(const CStringT& target, const CStringT& caller_path) {
    OwnerOnly owner_only;
    if (!owner_only.get()) return;
    const char* separator = veneer::frame::last_path_separator(target.GetString());
    const int folder_length = separator ? static_cast<int>(separator - target.GetString()) + 1 : 0;
    // A name taken already is passed over; a few draws from 2^64 names are plenty.
    for (int attempt = 0; attempt < 8; ++attempt) {
      unsigned long long draw = 0;
      if (!veneer::frame::system_random(&draw, sizeof draw)) return;
      char leaf[32];
      std::snprintf(leaf, sizeof leaf, "~veneer%016llx.tmp", draw);
      name_ = CStringT(target.GetString(), folder_length);
      name_ += CStringT(leaf);
      HANDLE handle =
          CreateFileA(name_, GENERIC_WRITE, 0, owner_only.get(), CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle != INVALID_HANDLE_VALUE) {
        file_.m_hFile = handle;
        file_.Name(caller_path);
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
  // Puts the closed file in target's place in one step; it takes on what target is
  // (attributes, security, owner). False when the platform refuses.
  bool replace(const CStringT& target) {
    if (!ReplaceFileA(target, name_, nullptr, 0, nullptr, nullptr)) return false;
    kept_ = true;
    return true;
  }

 private:
  CStringT name_;
  NamedFile file_;
  bool created_ = false;
  bool kept_ = false;
};

// Writes content to a temporary file beside target and puts it in target's place. False, the
// temporary file removed and target as it was (Win32 may have removed it: the caller then
// writes in place), when no temporary file can be made or the replace is refused. A write
// error raises, naming path.
bool replace_with_new_file(const CStringT& content, const CStringT& target, const CStringT& path) {
  TemporaryFile temporary(target, path);
  if (!temporary.created()) return false;
  write_all(temporary.file(), content);
  temporary.file().Flush();  // on the device before it takes the file's place
  temporary.file().Close();
  return temporary.replace(target);
}

}  // namespace

void AfxSaveToFile(CStringT content, CStringT path) {
  // Open the target for writing, sharing nothing, without truncating it: a file held by
  // anyone else, a read-only file, a folder, a file without write access or a missing folder
  // ends the call with no effect, as a failed open always did.
  CFile target;
  CFileException why;
  if (!target.Open(path, CFile::modeWrite, &why)) {
    if (why.m_cause != CFileException::fileNotFound) return;
    // A new file is made empty first, as a plain save would make it (default permissions,
    // owner and attributes); the content then takes its place with those.
    if (!target.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite)) return;
  }

  // Devices and pipes cannot be replaced: they are written in place.
  if (GetFileType(target.m_hFile) != FILE_TYPE_DISK) {
    write_all(target, content);
    target.Close();
    return;
  }
  BY_HANDLE_FILE_INFORMATION information;
  const bool known = GetFileInformationByHandle(target.m_hFile, &information) != FALSE;
  // Read-only is read-only for every caller (Wine lets its host's superuser open such a file).
  if (known && (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) return;
  // A file with more than one name keeps them all only when written in place.
  const CStringT real = known && information.nNumberOfLinks == 1 ? final_path(target.m_hFile) : CStringT();
  target.Close();  // the replace cannot take the place of a file that is open, even by us

  // The new content in a file of its own first, which then takes the file's place with the
  // file's identity: nothing is torn or lost. Where that cannot be done (no new file in the
  // folder, a refused replace), the file is written in place as a plain save writes it.
  if (!real.IsEmpty() && replace_with_new_file(content, real, path)) return;
  write_in_place(content, path);
}
