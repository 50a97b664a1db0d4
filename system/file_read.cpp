#include "frame/platform.h"
#include <veneer/veneer.h>

CStringT AfxReadFromFile(CStringT path) {
  CStringT content;
  CFile file;
  // Mode 0: reading, with no sharing; a failed open returns FALSE instead of throwing.
  if (!file.Open(path, CFile::modeRead, nullptr)) return content;
  const ULONGLONG length = file.GetLength();
  // A string counts its bytes in an int; a larger file gives nothing rather than a part.
  if (length > 0x7fffffffull) {
    file.Close();
    return content;
  }
  const UINT wanted = static_cast<UINT>(length);
  char* buffer = content.GetBuffer(static_cast<int>(wanted));
  UINT got = 0;
  // A file that shrank since its length was read ends early; only bytes read are kept.
  while (got < wanted) {
    const UINT n = file.Read(buffer + got, wanted - got);
    if (n == 0) break;
    got += n;
  }
  content.ReleaseBuffer(static_cast<int>(got));
  file.Close();
  return content;
}
