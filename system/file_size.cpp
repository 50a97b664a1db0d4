#include "frame/platform.h"
#include <veneer/veneer.h>

DWORD AfxGetFileSize(CStringT path) {
  // Asking for attributes only needs no data access, so the open neither waits on nor
  // disturbs anyone: a file another program is writing still reports its size.
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size{};
  const BOOL known = GetFileSizeEx(file, &size);
  CloseHandle(file);
  if (!known || size.QuadPart < 0) return 0;
  // A size that does not fit the result is reported as the largest one, never cut to its
  // low part (which could look like any small size, or none).
  if (static_cast<ULONGLONG>(size.QuadPart) > 0xffffffffull) return 0xffffffffu;
  return static_cast<DWORD>(size.QuadPart);
}
