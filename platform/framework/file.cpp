#include <veneer/framework/afx_file.h>

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE file) : m_hFile(file), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCSTR file_name, UINT open_flags) : CFile() {
  CFileException error;
  if (!Open(file_name, open_flags, &error)) AfxThrowFileException(error.m_cause, error.m_lOsError, file_name);
}

CFile::~CFile() {
  if (m_hFile != hFileNull && m_bCloseOnDelete) Abort();
}

BOOL CFile::Open(LPCSTR file_name, UINT open_flags, CFileException* error) {
  if (m_hFile != hFileNull) Abort();
  m_strFileName = file_name;

  DWORD access = 0;
  switch (open_flags & 3) {
    case modeRead:
      access = GENERIC_READ;
      break;
    case modeWrite:
      access = GENERIC_WRITE;
      break;
    case modeReadWrite:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
    default:  // 3 is no mode at all
      if (error) *error = CFileException(CFileException::genericException, ERROR_INVALID_PARAMETER, file_name);
      return FALSE;
  }
  DWORD share = 0;  // shareCompat and shareExclusive share nothing
  switch (open_flags & 0x70) {
    case shareDenyWrite:
      share = FILE_SHARE_READ;
      break;
    case shareDenyRead:
      share = FILE_SHARE_WRITE;
      break;
    case shareDenyNone:
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      break;
    default:
      break;
  }
  DWORD disposition = OPEN_EXISTING;
  if (open_flags & modeCreate) disposition = (open_flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, (open_flags & modeNoInherit) ? FALSE : TRUE};

  HANDLE file = CreateFileA(file_name, access, share, &security, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (error) {
      const LONG os_error = static_cast<LONG>(GetLastError());
      *error = CFileException(CFileException::OsErrorToException(os_error), os_error, file_name);
    }
    return FALSE;
  }
  m_hFile = file;
  m_bCloseOnDelete = TRUE;
  return TRUE;
}

void CFile::throw_last_error() const {
  const LONG os_error = static_cast<LONG>(GetLastError());
  AfxThrowFileException(CFileException::OsErrorToException(os_error), os_error, m_strFileName);
}

ULONGLONG CFile::GetLength() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(m_hFile, &size)) throw_last_error();
  return static_cast<ULONGLONG>(size.QuadPart);
}

UINT CFile::Read(void* buffer, UINT count) {
  if (count == 0) return 0;
  DWORD read = 0;
  if (!ReadFile(m_hFile, buffer, count, &read, nullptr)) throw_last_error();
  return read;
}

void CFile::Write(const void* buffer, UINT count) {
  if (count == 0) return;
  DWORD written = 0;
  if (!WriteFile(m_hFile, buffer, count, &written, nullptr)) throw_last_error();
  // A write that reports success for fewer bytes has run out of room.
  if (written < count) AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

void CFile::Flush() {
  if (m_hFile == hFileNull) return;
  if (!FlushFileBuffers(m_hFile)) throw_last_error();
}

void CFile::Close() {
  BOOL ok = TRUE;
  if (m_hFile != hFileNull) ok = CloseHandle(m_hFile);
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
  m_strFileName.Empty();
  if (!ok) {
    const LONG os_error = static_cast<LONG>(GetLastError());
    AfxThrowFileException(CFileException::OsErrorToException(os_error), os_error, nullptr);
  }
}

void CFile::Abort() {
  if (m_hFile != hFileNull) CloseHandle(m_hFile);
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
  m_strFileName.Empty();
}
