// The system's 8-bit code page of the headless platform: Windows-1252, the ANSI code page
// Wine gives an English-language host. Text calls and the clipboard convert through it.
#pragma once

namespace veneer::headless {

// The character an ANSI byte stands for (the five bytes 1252 leaves undefined map to the
// C1 controls of the same value, as Windows' own table does).
char16_t ansi_to_unicode(unsigned char byte);
// The ANSI byte of a character; '?' when the code page has none.
unsigned char unicode_to_ansi(char16_t ch);

}  // namespace veneer::headless
