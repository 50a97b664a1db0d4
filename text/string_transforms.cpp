#include <cstring>

#include "frame/platform.h"
#include <veneer/veneer.h>

namespace {

// Classic-locale classification, whatever locale the host has set: bytes from 0x80 up are
// never letters or digits here.
bool is_ascii_alnum(unsigned char b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

bool is_path_separator(char c) { return c == '\\' || c == '/'; }

}  // namespace

CStringT AfxEncryptString(CStringT text) {
  const int n = text.GetLength();
  for (int i = 0; i < n; ++i) text.SetAt(i, static_cast<char>(255 - static_cast<unsigned char>(text.GetAt(i))));
  return text;
}

CStringT AfxUrlEncode(CStringT text) {
  static const char hex[] = "0123456789ABCDEF";
  const int n = text.GetLength();
  const char* in = text.GetString();
  CStringT result;
  // 3 bytes per input byte at most; computed wide so a huge length cannot overflow.
  const long long capacity = 3LL * n;
  if (capacity > 0x7ffffffe) AfxThrowMemoryException();
  char* out = result.GetBuffer(static_cast<int>(capacity));
  int written = 0;
  for (int i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(in[i]);
    if (is_ascii_alnum(b)) {
      out[written++] = static_cast<char>(b);
    } else if (b == ' ') {
      out[written++] = '+';
    } else {
      out[written++] = '%';
      out[written++] = hex[b >> 4];
      out[written++] = hex[b & 0xF];
    }
  }
  result.ReleaseBuffer(written);
  return result;
}

CStringT AfxGetFileExtName(CStringT path) {
  const int n = path.GetLength();
  const char* text = path.GetString();
  // The search reads the text up to its first zero byte, and the dot must lie in the last
  // path component. It goes forward a character at a time: the second byte of a double-byte
  // character of the system's code page may be 0x5C, which is then no separator.
  const int end = static_cast<int>(std::strlen(text));
  int dot = -1;
  for (int i = 0; i < end; ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < end) {
      ++i;
    } else if (is_path_separator(text[i])) {
      dot = -1;
    } else if (text[i] == '.') {
      dot = i;
    }
  }
  return dot > 0 ? path.Right(n - dot - 1) : CStringT();
}
