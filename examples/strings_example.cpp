// A small program that calls Veneer's string transforms and prints what they give.
#include <cstdio>

#include <veneer/veneer.h>

namespace {

void show(const char* label, const CStringT& s) {
  std::printf("%-32s ", label);
  for (int i = 0; i < s.GetLength(); ++i) {
    auto b = static_cast<unsigned char>(s.GetAt(i));
    if (b >= 0x20 && b < 0x7f)
      std::putchar(b);
    else
      std::printf("\\x%02X", b);
  }
  std::putchar('\n');
}

}  // namespace

int main() {
  show("AfxEncryptString(\"abc\")", AfxEncryptString("abc"));
  show("  and back", AfxEncryptString(AfxEncryptString("abc")));
  show("AfxUrlEncode(\"a b&c=50%\")", AfxUrlEncode("a b&c=50%"));
  show("AfxUrlEncode(\"line\\nbreak\")", AfxUrlEncode("line\nbreak"));
  show("AfxUrlEncode(\"x\\0y\" 3 bytes)", AfxUrlEncode(CStringT("x\0y", 3)));
  show("AfxGetFileExtName(\"photo.JPG\")", AfxGetFileExtName("photo.JPG"));
  show("AfxGetFileExtName(\"a.tar.gz\")", AfxGetFileExtName("a.tar.gz"));
  show("AfxGetFileExtName(\"dir.old\\\\file\")", AfxGetFileExtName("dir.old\\file"));
  return 0;
}
