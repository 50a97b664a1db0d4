#include "kernel/code_page.h"

#include <atomic>

#include <veneer/headless/kernel_base.h>
#include <veneer/headless/testing.h>

namespace veneer::headless {
namespace {

// 0x80 to 0x9F; everything else is Latin-1, the same value.
constexpr char16_t high_controls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr UINT windows_1252 = 1252;
constexpr UINT shift_jis = 932;
std::atomic<UINT> ansi_code_page{windows_1252};

bool is_lead_byte(UINT code_page, unsigned char b) {
  return code_page == shift_jis && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
}

}  // namespace

bool testing::set_ansi_code_page(UINT code_page) {
  if (code_page != windows_1252 && code_page != shift_jis) return false;
  ansi_code_page = code_page;
  return true;
}

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

using namespace veneer::headless;

extern "C" {

UINT WINAPI GetACP() { return ansi_code_page; }
BOOL WINAPI IsDBCSLeadByte(BYTE test_char) { return is_lead_byte(ansi_code_page, test_char) ? TRUE : FALSE; }
BOOL WINAPI IsDBCSLeadByteEx(UINT code_page, BYTE test_char) {
  if (code_page == CP_ACP) code_page = ansi_code_page;
  return is_lead_byte(code_page, test_char) ? TRUE : FALSE;
}

}  // extern "C"
