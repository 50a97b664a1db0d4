#include "kernel/code_page.h"

namespace veneer::headless {
namespace {

// 0x80 to 0x9F; everything else is Latin-1, the same value.
constexpr char16_t high_controls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char16_t ansi_to_unicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? high_controls[byte - 0x80] : static_cast<char16_t>(byte);
}

unsigned char unicode_to_ansi(char16_t ch) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<unsigned char>(ch);
  for (int i = 0; i < 32; ++i)
    if (high_controls[i] == ch) return static_cast<unsigned char>(0x80 + i);
  return '?';
}

}  // namespace veneer::headless
