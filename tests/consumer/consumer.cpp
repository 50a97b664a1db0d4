// Calls a few exports of the installed library and checks what they give.
#include <cstdio>
#include <cstring>

#include <veneer/framework/afx_gdi.h>
#include <veneer/veneer.h>

namespace {
int failures = 0;
void check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}
}  // namespace

int main() {
  check(std::strcmp(AfxEncryptString(AfxEncryptString("round trip")), "round trip") == 0, "AfxEncryptString");
  check(std::strcmp(AfxUrlEncode("a b&c"), "a+b%26c") == 0, "AfxUrlEncode");
  check(std::strcmp(AfxGetFileExtName("photo.JPG"), "JPG") == 0, "AfxGetFileExtName");
  // The framework's graphics classes, as a program drawing a skin uses them.
  CBitmap bitmap;
  check(bitmap.CreateBitmap(4, 3, 1, 32, nullptr) && bitmap.GetSafeHandle() != nullptr, "CBitmap");
  CRgn region;
  check(AfxCreateSkinRegion(&bitmap, &region) && region.GetSafeHandle() != nullptr, "AfxCreateSkinRegion");
  return failures == 0 ? 0 : 1;
}
