#include <veneer/framework/afx_exceptions.h>

CException::~CException() = default;

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

CFileException::CFileException(int cause, LONG os_error, const char* file_name)
    : m_cause(cause), m_lOsError(os_error), m_strFileName(file_name) {}

int CFileException::OsErrorToException(LONG os_error) {
  switch (os_error) {
    case ERROR_SUCCESS:
      return none;
    case ERROR_FILE_NOT_FOUND:
      return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
      return badPath;
    case ERROR_ACCESS_DENIED:
      return accessDenied;
    case ERROR_INVALID_HANDLE:
      return invalidFile;
    case ERROR_SHARING_VIOLATION:
      return sharingViolation;
    case ERROR_HANDLE_EOF:
      return endOfFile;
    case ERROR_DISK_FULL:
      return diskFull;
    default:
      return genericException;
  }
}

namespace {
// The memory exception is thrown when memory has run out, so it is never allocated.
CMemoryException out_of_memory(false);
}  // namespace

void AfxThrowMemoryException() { throw &out_of_memory; }

void AfxThrowResourceException() { throw new CResourceException(); }

void AfxThrowFileException(int cause, LONG os_error, const char* file_name) {
  throw new CFileException(cause, os_error, file_name);
}
