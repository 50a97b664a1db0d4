// The framework's exceptions. As in the framework they stand in for, they are thrown as
// pointers to heap objects; the catcher calls Delete() when done with one.
#pragma once

#include <veneer/framework/afx_string.h>

class VENEER_FRAMEWORK_API CException {
 public:
  explicit CException(bool auto_delete = true) : m_bAutoDelete(auto_delete) {}
  virtual ~CException();
  void Delete();
  virtual const char* What() const = 0;

 protected:
  bool m_bAutoDelete;
};

class VENEER_FRAMEWORK_API CMemoryException : public CException {
 public:
  using CException::CException;
  const char* What() const override { return "out of memory"; }
};

class VENEER_FRAMEWORK_API CResourceException : public CException {
 public:
  using CException::CException;
  const char* What() const override { return "a platform object could not be created"; }
};

class VENEER_FRAMEWORK_API CFileException : public CException {
 public:
  enum {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };
  CFileException(int cause = none, LONG os_error = -1, const char* file_name = nullptr);
  const char* What() const override { return "file error"; }
  // The cause for a platform error code (GetLastError).
  static int OsErrorToException(LONG os_error);

  int m_cause;
  LONG m_lOsError;
  CStringT m_strFileName;
};

[[noreturn]] VENEER_FRAMEWORK_API void AfxThrowMemoryException();
[[noreturn]] VENEER_FRAMEWORK_API void AfxThrowResourceException();
[[noreturn]] VENEER_FRAMEWORK_API void AfxThrowFileException(int cause, LONG os_error = -1,
                                                             const char* file_name = nullptr);
