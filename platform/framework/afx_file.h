// CFile: the framework's unbuffered file over a platform file handle. A failed Open returns
// FALSE (filling the caller's exception record, if given) and throws nothing; read, write,
// flush, length and close errors throw the framework's file exception (CFileException*).
#pragma once

#include <veneer/framework/afx_exceptions.h>
#include <veneer/framework/afx_string.h>
#include <veneer/framework/win32_api.h>

class VENEER_FRAMEWORK_API CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,  // treated as exclusive, as the framework does
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
  };

  CFile();
  // Wraps an open handle; Close closes it, the destructor leaves it open (as the framework).
  explicit CFile(HANDLE file);
  // Opens the file or throws the file exception.
  CFile(LPCSTR file_name, UINT open_flags);
  // Closes a file this object opened, without throwing: an error here has nowhere to go.
  virtual ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  virtual BOOL Open(LPCSTR file_name, UINT open_flags, CFileException* error = nullptr);
  virtual ULONGLONG GetLength() const;
  // Reads up to count bytes; fewer only at the end of the file. 0 at its end.
  virtual UINT Read(void* buffer, UINT count);
  // Writes all count bytes or throws.
  virtual void Write(const void* buffer, UINT count);
  virtual void Flush();
  virtual void Close();
  // Closes without throwing, whatever state the file is in.
  virtual void Abort();

  CStringT GetFilePath() const { return m_strFileName; }

  HANDLE m_hFile;
  static const HANDLE hFileNull;

 protected:
  BOOL m_bCloseOnDelete;
  CStringT m_strFileName;

 private:
  [[noreturn]] void throw_last_error() const;
};
